#include "game/MenuBook.h"

#include "engine/TMCandyWidget.h"
#include "game/TMBoard_Career.h"
#include "game/TMBoard_Help.h"
#include "game/TMBoard_HiScores.h"
#include "game/TMBoard_MainMenu.h"
#include "game/TMBoard_Survival.h"
#include "game/TMEngine3.h"

#include <utility>

void TurnMenuBook(TMCandyWidget* page, bool /*backwards*/, int target)
{
    auto* game = dynamic_cast<TMEngine3*>(TMEngine::GetEngine());
    if (!game)
        return;
    if (!page) {
        target = kBookMainMenu;
        if (game->mMainMenuBoard)
            page = game->mMainMenuBoard->FindChild("main_menu_dlg");
    }
    if (page)
        page->SetVisible(true);
    const std::pair<TMCandyWidget*, int> screens[] = {
        {game->mMainMenuBoard, kBookMainMenu}, {game->mCareerBoard, kBookCareer},     {game->mHelpBoard, kBookHelp},
        {game->mHiScoresBoard, kBookRecords},  {game->mSurvivalBoard, kBookSurvival},
    };
    for (const auto& [screen, number] : screens) {
        if (screen)
            screen->SetVisible(number == target);
    }
    if (target == kBookHelp && game->mHelpBoard) {
        for (const char* arrow : {"next_btn", "prev_btn"}) {
            if (TMCandyWidget* button = game->mHelpBoard->FindChild(arrow)) {
                button->RewindAnimations();
                button->Show();
            }
        }
    }
}
