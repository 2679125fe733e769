#include "game/TMBoard_HiScores.h"

#include "engine/TMButton.h"
#include "engine/TMText.h"
#include "game/MenuBook.h"
#include "game/ScreenControls.h"
#include "game/TMEngine3.h"
#include "shell/WidgetManager.h"

#include <string>
#include <utility>
#include <vector>

namespace {

/// "line<table><row>" or "score<table><row>".
std::string RowName(const char* kind, int table, int row)
{
    return kind + std::to_string(table) + std::to_string(row);
}

} // namespace

TMBoard_HiScores::TMBoard_HiScores(Pyxo::PyxoAppBase* app, pugi::xml_node root) : TMDialog(nullptr, app)
{
    LoadByName(root, "hiscores");
    std::vector<std::pair<std::string, const void*>> table = {{"close", mCloseButton}, {"hiscores_dlg", mDialog}};
    for (int side = 1; side >= 0; --side) {
        for (int row = 0; row < kRows; ++row) {
            table.emplace_back(RowName("line", side, row), mNames[side][row]);
            table.emplace_back(RowName("score", side, row), mScores[side][row]);
        }
    }
    ScreenControls::LogMissing("hiscores", table);
}

TMBoard_HiScores::~TMBoard_HiScores() = default;

void TMBoard_HiScores::AddChild(const std::string& name, TMCandyWidget* child)
{
    TMDialog::AddChild(name, child);
    if (!child)
        return;
    if (name == "close") {
        mCloseButton = dynamic_cast<TMButton*>(child);
        return;
    }
    if (name != "hiscores_dlg")
        return;
    mDialog = child;
    if (!mCloseButton)
        mCloseButton = dynamic_cast<TMButton*>(child->FindChild("close"));
    const std::pair<TMCandyWidget*, int> pages[] = {{child->FindChild("left_page"), 0},
                                                    {child->FindChild("right_page"), 1}};
    for (const auto& [page, side] : pages) {
        if (!page)
            continue;
        for (int row = 0; row < kRows; ++row) {
            mNames[side][row] = dynamic_cast<TMText*>(page->FindChild(RowName("line", side, row)));
            mScores[side][row] = dynamic_cast<TMText*>(page->FindChild(RowName("score", side, row)));
        }
    }
}

void TMBoard_HiScores::OnShow()
{
    auto* game = dynamic_cast<TMEngine3*>(mApp);
    if (game) {
        const std::wstring profile = game->GetPref().GetProfile()->Name();
        for (int side = 0; side < 2; ++side) {
            const TMPref::HiScoreTable& records = game->GetPref().GetHiScoreTable(side == 1);
            for (int row = 0; row < kRows; ++row) {
                const HiScoreRecord& record = records[static_cast<size_t>(row)];
                const std::wstring name = record.Name();
                if (TMText* text = mNames[side][row]) {
                    text->SetText(name);
                    text->SetDisabled(name != profile);
                }
                if (TMText* text = mScores[side][row])
                    text->SetText(record.score == 0 ? std::wstring() : std::to_wstring(record.score));
            }
        }
    }
    TurnMenuBook(mDialog, false, kBookRecords);
    if (mApp && mApp->mWidgetManager)
        mApp->mWidgetManager->SetFocus(this);
    ScreenControls::PlaySound("window_open");
}

void TMBoard_HiScores::OnControl(intptr_t controlId)
{
    if (controlId != 0 && reinterpret_cast<const TMCandyWidget*>(controlId) == mCloseButton)
        TurnMenuBook(nullptr, true, kBookNoScreen);
}
