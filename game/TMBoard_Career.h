#pragma once

#include "engine/TMDialog.h"
#include "engine/TextureHandle.h"

#include <pugixml.hpp>

#include <array>
#include <string>

class TMEngine3;
struct ProfileRecord;

/// The career book: cafes, days, achievements and level results. A screen of the game, built from the
/// interface description; created hidden on the resource-loading thread and owned by the widget manager once
/// added. Main thread afterwards.
class TMBoard_Career : public TMDialog {
public:
    static constexpr int kLastLevel = 59;
    static constexpr int kMaxDays = 24;
    static constexpr int kEndingComic = 9;
    static constexpr float kCountSeconds = 2.0f;

    TMBoard_Career(Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TMBoard_Career() override;

    void Update() override;
    void OnShow() override;
    void OnHide() override;
    void AddChild(const std::string& name, TMCandyWidget* child) override;
    void OnControl(intptr_t controlId) override;

    /// A career day ended with the money and the result (0 expert, 1 goal, 2 failed); the game board makes the
    /// book visible and saves the player file afterwards.
    void ShowLevelResult(int money, int result, int level);
    /// The shown cafe and its furthest open day from the profile's furthest level (taken within 1..60).
    void LoadFromProfile();
    /// Tabs, locks and the photo of the shown cafe; with resetDay, selects the cafe's furthest open day.
    void ShowCafe(bool resetDay);
    /// The shown cafe's title and the tabs of the other two.
    void ShowCafeTabs();
    /// Day buttons and signs, the day highlight, and the right page of the selected day.
    void RefreshDay(bool animate, bool levelDone);
    void TurnToCafe(int cafe);
    /// Starts the career level, through its comic when one belongs to it.
    void StartDay(int level);
    void ShowComic(bool show);
    /// The book refills from the current profile when it is next shown (another profile became current).
    void ResetSelectedDay() { mSelectedDay = -1; }

    [[nodiscard]] int GetSelectedDay() const { return mSelectedDay; }
    [[nodiscard]] int GetFurthestDay() const { return mFurthestDay; }
    [[nodiscard]] int GetShownCafe() const { return mShownCafe; }
    [[nodiscard]] int GetComicPage() const { return mComicPage; }
    [[nodiscard]] int GetResultMoney() const { return mResultMoney; }
    [[nodiscard]] bool IsResultRunning() const { return mResultRunning; }
    [[nodiscard]] const std::string& GetPictureName() const { return mPictureName; }
    [[nodiscard]] TMCandyWidget* GetSplash() const { return mSplash; }

    /// The controls of one spread (the real one, or its copy shown during a cafe page turn).
    struct Spread {
        TMCandyWidget* photoCafe = nullptr;
        TMCandyWidget* dayMark = nullptr;
        std::array<TMCandyWidget*, kMaxDays> dayButtons{};
        std::array<TMCandyWidget*, kMaxDays> goals{};
        std::array<TMCandyWidget*, kMaxDays> experts{};
        std::array<TMCandyWidget*, kMaxDays> stars{};
        std::array<TMCandyWidget*, kMaxDays> dayTexts{};
        TMCandyWidget* photoBriefing = nullptr;
        TMCandyWidget* briefDebrief = nullptr;
        TMCandyWidget* scorePoints = nullptr;
        TMCandyWidget* photoGoal = nullptr;
        TMCandyWidget* photoExpert = nullptr;
        TMCandyWidget* photoStar = nullptr;
        TMCandyWidget* achPrize = nullptr;
        std::array<TMCandyWidget*, 4> achIcons{};
        std::array<TMCandyWidget*, 4> achBackgrounds{};
    };

    // Borrowed controls; null when the content lacks them.
    TMCandyWidget* mBook = nullptr;     // "career_dlg"
    TMCandyWidget* mCopyBook = nullptr; // "career_dlg_fake"
    Spread mSpread;
    Spread mCopy;
    TMCandyWidget* mBackButton = nullptr;
    TMCandyWidget* mRestartButton = nullptr;
    TMCandyWidget* mNextButton = nullptr;
    TMCandyWidget* mPlayButton = nullptr;
    std::array<TMCandyWidget*, 3> mCafeTabs{};
    std::array<TMCandyWidget*, 3> mCafeTitles{};
    TMCandyWidget* mResetButton = nullptr;
    TMCandyWidget* mCurrentDay = nullptr;
    TMCandyWidget* mComics = nullptr;
    TMCandyWidget* mComicNext = nullptr;

private:
    [[nodiscard]] TMEngine3* Game() const;
    [[nodiscard]] ProfileRecord* Profile() const;
    /// The profile's furthest level within 1..60; 1 without a profile.
    [[nodiscard]] int FurthestLevel() const;
    /// Shown cafe, offset and day count of the cafe of that level.
    void SetCafeOfLevel(int level);
    void SetCafe(int cafe);
    void PlaceDayMark(const Spread& spread);
    /// Photos and achievement icons of the level's stored result (steps shared by the book and its copy).
    void ShowStoredResult(Spread& spread, int level);
    [[nodiscard]] std::wstring BriefText(int level) const;
    void StartLevelLoad();

    int mComicPage = 0;
    int mSelectedDay = -1;
    int mFurthestDay = -1;
    int mLevelToStart = -1;
    int mOffset = 0;
    int mDayCount = 15;
    float mResultTime = 0.0f;
    bool mResultRunning = false;
    int mResultMoney = 0;
    int mShownCafe = 1;
    int mIconX = 40;
    TMCandyWidget* mSplash = nullptr;
    TextureHandle mPicture;
    std::string mPictureName = "briefing_00";
    TextureHandle mCafePicture;
    std::string mCafePictureName = "cafe_01";
};
