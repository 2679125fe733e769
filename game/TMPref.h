#pragma once

#include <string>

namespace Pyxo {
class PyxoAppBase;
}
struct ProfileRecord;

/// The player file pref.dat: the sound and screen settings, the survival and career record tables and the player
/// profiles, one of them current. Held by the game's application object, loaded in its Init, saved after every
/// change. Main thread.
class TMPref {
public:
    explicit TMPref(Pyxo::PyxoAppBase* app);
    virtual ~TMPref();
    TMPref(const TMPref&) = delete;
    TMPref& operator=(const TMPref&) = delete;

    /// Reads the file (a damaged one is repaired with the defaults), applies its settings and saves.
    bool Load();
    bool Save();
    bool CreateProfile(const std::wstring& name);
    bool DeleteProfile(int index);
    /// The current profile.
    [[nodiscard]] ProfileRecord* GetProfile();
    /// Place 0 to 9 in the table, or 10 when not placed.
    int InsertHiScore(bool survival, const std::wstring& name, int score);
    void ApplySettings();
    void SetDefaults();
    void ResetProfile();
    void NewProfile(const std::wstring& name);

private:
    Pyxo::PyxoAppBase* mApp; // borrowed
};
