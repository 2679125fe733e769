#pragma once

#include "engine/TMDialog.h"

#include <pugixml.hpp>

#include <vector>

/// The start-up splash sequence, shown once loading has finished: its pictures one after another on black, each
/// leaving through its own effect or at any key, then the menu background and the main menu. A screen of the
/// game, built from the interface description; created hidden on the resource-loading thread and owned by the
/// widget manager once added. Main thread afterwards.
class TMBoard_Splash : public TMDialog {
public:
    TMBoard_Splash(Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TMBoard_Splash() override;

    /// Every child starts hidden; those with a picture in their normal texture set join the sequence.
    void AddChild(const std::string& name, TMCandyWidget* child) override;
    void Draw(Pyxo::Graphics* g) override;
    /// Hides the custom cursor, takes the focus and shows the current picture; without pictures the splash
    /// hides at once.
    void Activate() override;
    /// Advances once the current picture has been shown and is hidden again.
    void Update() override;
    /// Any key ends the current picture.
    void KeyDown(int key) override;
    /// The cursor back, the focus cleared, the menu background and the main menu shown.
    void Deactivate() override;

    [[nodiscard]] const std::vector<TMCandyWidget*>& GetPictures() const { return mPictures; }
    [[nodiscard]] int GetPictureIndex() const { return mPictureIndex; }

private:
    void Advance();

    std::vector<TMCandyWidget*> mPictures; // children, in element order
    int mPictureIndex = 0;
    bool mPictureShown = false;
};
