#include "engine/TMEngine.h"

#include "engine/CursorTable.h"
#include "engine/EffectLibrary.h"
#include "engine/EngineLog.h"
#include "engine/ParticleSystemTable.h"
#include "engine/ResourceIds.h"
#include "engine/TMBoard_Game.h"
#include "engine/TMDialog.h"
#include "engine/TMFont.h"
#include "engine/TMLocTable.h"
#include "engine/TMMusicPlayer.h"
#include "engine/TMSoundDevice.h"
#include "engine/TMSoundManager.h"
#include "engine/TextVars.h"
#include "engine/TextureTable.h"
#include "engine/XmlConfig.h"
#include "graphics/PakInterface.h"
#include "graphics/ResourceManager.h"
#include "platform/time/Clock.h"
#include "shell/Dialog.h"
#include "shell/Random15.h"
#include "shell/WidgetManager.h"

#include <system_error>

namespace {

TMEngine* gEngine = nullptr;
TMDialog* gLockOverlay = nullptr; // owned by the widget manager

constexpr const char* kConfigFile = "cfg\\cfg.xml";
constexpr const char* kInterfaceFile = "cfg\\ui.xml";
constexpr const char* kInitGroup = "Init";

/// The "root" element of a configuration file; an empty element when the file is missing or does not parse, so
/// that every table reads nothing from it. The document lives as long as the holder.
struct ConfigRoot {
    explicit ConfigRoot(const char* fileName) : document(XmlOpenDocument(fileName, &why))
    {
        if (document)
            root = XmlSelectNode(*document, "root");
        else
            EngineContentWarning("%s: %s; its tables stay empty", fileName, why.c_str());
    }

    std::string why; // before the document, which fills it
    std::unique_ptr<pugi::xml_document> document;
    pugi::xml_node root;
};

} // namespace

TMEngine::TMEngine(const std::filesystem::path& workingFolder)
{
    // Every data file is named relative to the program's folder, whatever folder it was started from.
    std::error_code error;
    std::filesystem::current_path(workingFolder, error);
    if (error)
        EngineLog("cannot change to %s: %s", workingFolder.c_str(), error.message().c_str());
    mExeFolder = workingFolder.string(); // the shell's start-up changes to it again

    // Mounted in this order: a name that two archives hold comes from the one mounted last.
    mPakInterface = std::make_unique<PakInterface>();
    for (const char* archive : {"loc.pak", "data.pak", "mod.pak"}) {
        if (!mPakInterface->AddPakFile(archive))
            EngineLog("%s: not mounted", archive);
    }

    mProductName = "Nimbar1";
    mTitle.clear();
    mProductVersion = "1.0";
    mRegKey = "Ostrel Games\\Nimbar1";
    mWidth = kScreenWidth;
    mHeight = kScreenHeight;
    gEngine = this;

    mCursorTable = std::make_unique<CursorTable>();
    gSoundDevice = new TMSoundDevice();
    mSoundRegistry = std::make_unique<TMSoundManager>();
    mMusicPlayer = std::make_unique<TMMusicPlayer>();
    mTextureTable = std::make_unique<TextureTable>(this);
    mFontTable = std::make_unique<TMFont>(this);
    mLocTable = std::make_unique<TMLocTable>();
    mTextVars = std::make_unique<TextVars>();
    mParticleSystems = std::make_unique<ParticleSystemTable>();

    // Hidden until LockWidgets: an engine widget starts invisible.
    gLockOverlay = new TMDialog(nullptr, this);
    gLockOverlay->Resize(0, 0, kScreenWidth, kScreenHeight);
    mWidgetManager->AddWidget(gLockOverlay);
}

TMEngine::~TMEngine()
{
    // The loading thread fills the tables and hands widgets to the tree: it ends before either goes, and the
    // widgets it handed over join the tree so that they are deleted with it.
    WaitForLoadingThread();
    mWidgetManager->ApplyQueuedChanges();
    // The framework's own dialogs stay with the framework, which deletes them itself.
    for (auto& [id, dialog] : mDialogMap)
        mWidgetManager->RemoveWidget(dialog.get());
    mWidgetManager->RemoveAllWidgets(true, false);
    gLockOverlay = nullptr;

    mCursorTable.reset();
    mTextVars.reset();
    mLocTable.reset();
    mSoundRegistry.reset();
    mMusicPlayer.reset();
    delete gSoundDevice;
    gSoundDevice = nullptr;
    mParticleSystems.reset();
    mTextureTable.reset();
    mFontTable.reset();
    FreeEffectLibrary();
    // Last: everything above may still read through it.
    mPakInterface.reset();
    if (gEngine == this)
        gEngine = nullptr;
}

void TMEngine::Init()
{
    PyxoAppBase::Init();
    Pyxo::SeedRand15(static_cast<uint32_t>(Platform::GetCalendarTime()));
    LoadResourceManifest();
    // A manifest without the group would load nothing and succeed; the engine cannot start without it either.
    if (!mResourceManager->HasGroup(kInitGroup)) {
        mShutdownRequested = true;
        Popup(std::string("Resource group not found: ") + kInitGroup);
        RestoreDisplayAndExit(1);
    }
    if (mResourceManager->LoadResources(kInitGroup)) {
        ExtractInitResources(*mResourceManager);
        LoadEffectLibrary();
        SoundDeviceStart(mMainWindow);
    } else {
        mShutdownRequested = true;
        ShowResourceError(true);
    }
}

void TMEngine::LoadContent()
{
    {
        const ConfigRoot config(kConfigFile);
        mMusicPlayer->Load(config.root);
        mSoundRegistry->Load(config.root);
    }
    {
        const ConfigRoot interface(kInterfaceFile);
        mTextureTable->Load(interface.root);
        mFontTable->Load(interface.root);
        mCursorTable->Load(interface.root);
    }
    // Hidden while loading; OnLoadingFinished shows it.
    mCursorTable->Set("normal");
    mCursorTable->Hide();
}

void TMEngine::OnLoadingFinished()
{
    mCursorTable->Show();
}

bool TMEngine::RunLoopStep(bool* updated)
{
    // A level loaded on its own thread is finished here, on the main thread.
    if (mLoadingThreadCompleted && gCurrentBoard && gCurrentBoard->IsWaitingForLoad())
        gCurrentBoard->FinishLevelLoad();
    return PyxoAppBase::RunLoopStep(updated);
}

void TMEngine::DrawOverlay(Pyxo::Graphics* g)
{
    if (mCursorTable)
        mCursorTable->Draw(g);
}

void TMEngine::AppGotFocus()
{
    PyxoAppBase::AppGotFocus();
    SoundDevicePause(false);
}

void TMEngine::AppLostFocus()
{
    PyxoAppBase::AppLostFocus();
    SoundDevicePause(true);
}

TMEngine* TMEngine::GetEngine()
{
    return gEngine;
}

std::wstring TMEngine::GetLocText(const std::string& id)
{
    return gEngine && gEngine->mLocTable ? gEngine->mLocTable->GetText(id) : std::wstring();
}

void TMEngine::PlaySound(const std::string& name)
{
    if (gEngine && gEngine->mSoundRegistry)
        gEngine->mSoundRegistry->Play(name);
}

Pyxo::Font* TMEngine::GetFont(const std::string& name)
{
    return gEngine && gEngine->mFontTable ? gEngine->mFontTable->Find(name) : nullptr;
}

void TMEngine::LockWidgets()
{
    if (!gEngine || !gLockOverlay)
        return;
    gEngine->mWidgetManager->BringToFront(gLockOverlay);
    gLockOverlay->SetVisible(true);
}

void TMEngine::UnlockWidgets()
{
    if (gLockOverlay)
        gLockOverlay->SetVisible(false);
}

TMDialog* TMEngine::GetLockOverlay()
{
    return gLockOverlay;
}
