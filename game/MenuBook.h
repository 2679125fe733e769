#pragma once

class TMCandyWidget;

/// The screens a turn of the menu book ends on.
enum MenuBookTarget : int {
    kBookNoScreen = 0,
    kBookMainMenu = 1,
    kBookHelp = 2,
    kBookCareer = 3,
    kBookSurvival = 4,
    kBookRecords = 5,
};

/// Turns the menu book to the page (null: back to the main menu's spread) and leaves the target screen the only
/// visible one of the five book screens. The main menu board owns the animated turn; until it takes the call, the
/// book lands on the turn's end at once. Main thread.
void TurnMenuBook(TMCandyWidget* page, bool backwards, int target);
