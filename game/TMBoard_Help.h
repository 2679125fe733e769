#pragma once

#include "engine/TMDialog.h"

#include <pugixml.hpp>

#include <vector>

class TMButton;

/// The paged help book: its pages turn in the menu book, forwards and backwards with the arrows; closing it turns
/// back to the escape menu while a level runs, else to the main menu. A screen of the game, built from the
/// interface description; created hidden on the resource-loading thread and owned by the widget manager once
/// added. Main thread afterwards.
class TMBoard_Help : public TMDialog {
public:
    TMBoard_Help(Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TMBoard_Help() override;

    /// "prev_btn", "next_btn", "close", and every child whose name holds "page_", in element order.
    void AddChild(const std::string& name, TMCandyWidget* child) override;
    /// To the front with the focus, then page 0 forwards; plays "window_open".
    void OnShow() override;
    /// The focus goes back to the game board.
    void OnHide() override;
    void OnControl(intptr_t controlId) override;
    /// Turns the book to page i when there is one; the arrows follow, both disabled off the pages.
    void ShowPage(int index);
    /// Every page becomes invisible.
    void HideAllPages();

    [[nodiscard]] int GetPageIndex() const { return mPageIndex; }
    [[nodiscard]] const std::vector<TMCandyWidget*>& GetPages() const { return mPages; }

    TMButton* mPrevButton = nullptr;
    TMButton* mNextButton = nullptr;
    TMButton* mCloseButton = nullptr;

private:
    std::vector<TMCandyWidget*> mPages;
    int mPageIndex = -1;
    bool mBackwards = false;
};
