#pragma once

#include "platform/files/FileSystem.h"
#include "shell/PyxoAppBase.h"

#include <filesystem>
#include <memory>
#include <string>

namespace Pyxo {
class Font;
}
class CursorTable;
class PakInterface;
class ParticleSystemTable;
class TMDialog;
class TMFont;
class TMLocTable;
class TMMusicPlayer;
class TMSoundManager;
class TextureTable;
class TextVars;

/// The engine's application object, on the framework's: the pack archives, the tables read from the
/// configuration (textures, fonts, cursors, sounds, music, localisation, text variables), the effect library, the
/// sound device, a screen-wide input-blocking overlay, and the one access point every engine and game module
/// reaches them through (GetEngine). One per process, made by the program's entry as the game's TMEngine3.
/// Main thread, except LoadContent (the resource-loading thread).
class TMEngine : public Pyxo::PyxoAppBase {
public:
    /// Makes the working folder the process's current folder (tests point it at a fixture folder), mounts
    /// "loc.pak", "data.pak" and "mod.pak" there in that order (a missing or damaged archive is skipped), creates
    /// the tables and the hidden overlay, and becomes the engine.
    explicit TMEngine(const std::filesystem::path& workingFolder = Platform::ExecutableFolder());
    ~TMEngine() override;

    static constexpr int kScreenWidth = 800;
    static constexpr int kScreenHeight = 600;

    // Pyxo::PyxoAppBase
    /// The shell's start-up, the resource manifest and its group "Init" (a failure ends the program with status
    /// 1), then the Init resources, the effect library and the sound device.
    void Init() override;
    /// Resource-loading thread: music and sounds from cfg\cfg.xml; textures, fonts and cursors from cfg\ui.xml.
    void LoadContent() override;
    void OnLoadingFinished() override;
    /// Finishes a level load that the loading thread has completed, then runs the shell's step.
    bool RunLoopStep(bool* updated) override;
    void DrawOverlay(Pyxo::Graphics* g) override;
    void AppGotFocus() override;
    void AppLostFocus() override;

    /// The game shows and hides its load screen around a level load.
    virtual void ShowLoadingScreen() {}
    virtual void HideLoadingScreen() {}

    /// The engine; null outside its lifetime.
    [[nodiscard]] static TMEngine* GetEngine();
    /// The localised text of the id from the engine's table; empty without an engine or for an unknown id.
    [[nodiscard]] static std::wstring GetLocText(const std::string& id);
    /// The engine's named font, or null.
    [[nodiscard]] static Pyxo::Font* GetFont(const std::string& name);
    /// Plays the named sound of the engine's sound registry; nothing without an engine or a registry.
    static void PlaySound(const std::string& name);
    /// Brings the overlay to the front and shows it: nothing below it takes input.
    static void LockWidgets();
    /// Hides the overlay (no counting: one call undoes any number of locks).
    static void UnlockWidgets();

    [[nodiscard]] CursorTable* GetCursorTable() const { return mCursorTable.get(); }
    [[nodiscard]] PakInterface* GetPakInterface() const { return mPakInterface.get(); }
    [[nodiscard]] ParticleSystemTable* GetParticleSystems() const { return mParticleSystems.get(); }
    [[nodiscard]] TMSoundManager* GetSoundRegistry() const { return mSoundRegistry.get(); }
    [[nodiscard]] TMMusicPlayer* GetMusicPlayer() const { return mMusicPlayer.get(); }
    [[nodiscard]] TextureTable* GetTextureTable() const { return mTextureTable.get(); }
    [[nodiscard]] TMFont* GetFontTable() const { return mFontTable.get(); }
    [[nodiscard]] TMLocTable* GetLocTable() const { return mLocTable.get(); }
    [[nodiscard]] TextVars* GetTextVars() const { return mTextVars.get(); }
    /// The overlay; owned by the widget manager.
    [[nodiscard]] static TMDialog* GetLockOverlay();

protected:
    std::unique_ptr<CursorTable> mCursorTable;
    std::unique_ptr<PakInterface> mPakInterface;
    std::unique_ptr<ParticleSystemTable> mParticleSystems;
    std::unique_ptr<TMSoundManager> mSoundRegistry;
    std::unique_ptr<TMMusicPlayer> mMusicPlayer;
    std::unique_ptr<TextureTable> mTextureTable;
    std::unique_ptr<TMFont> mFontTable;
    std::unique_ptr<TMLocTable> mLocTable;
    std::unique_ptr<TextVars> mTextVars;
};
