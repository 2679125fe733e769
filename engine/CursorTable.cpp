#include "engine/CursorTable.h"

#include "engine/EngineLog.h"
#include "engine/TMEngine.h"
#include "engine/TextureTable.h"
#include "engine/XmlConfig.h"
#include "graphics/Graphics.h"
#include "shell/PyxoAppBase.h"
#include "shell/WidgetManager.h"

namespace {

// The number of the shell's cursor that shows no system pointer, so that only the drawn cursor is seen.
constexpr int kDrawnCursorNumber = 12;
constexpr int kArrowCursorNumber = 0;

} // namespace

CursorTable::~CursorTable()
{
    Reset();
}

void CursorTable::Load(pugi::xml_node root)
{
    TMEngine* engine = TMEngine::GetEngine();
    TextureTable* textures = engine ? engine->GetTextureTable() : nullptr;
    if (!textures)
        return;
    for (pugi::xml_node node : root.children("cursors")) {
        std::string mode;
        std::string image;
        if (!XmlGetAttrString(node, "mode", mode) || !XmlGetAttrString(node, "image", image))
            continue;
        const TextureHandle texture = textures->Find(image);
        if (!texture.GetRecord()) {
            EngineContentWarning("cursor \"%s\": texture \"%s\" is not in cfg\\ui.xml; left out", mode.c_str(),
                                 image.c_str());
            continue;
        }
        const auto [it, inserted] = mCursors.try_emplace(mode);
        if (!inserted)
            continue;
        Cursor& cursor = it->second;
        cursor.texture = texture;
        // Acquired now: the cursor's image is read while the game loads, not at its first draw.
        cursor.texture.Acquire();
        XmlGetAttrInt(node, "hot_spot_x", cursor.hotSpotX);
        XmlGetAttrInt(node, "hot_spot_y", cursor.hotSpotY);
    }
}

const CursorTable::Cursor* CursorTable::Find(const std::string& name) const
{
    const auto found = mCursors.find(name);
    return found != mCursors.end() ? &found->second : nullptr;
}

void CursorTable::Set(const std::string& name)
{
    Pyxo::PyxoAppBase* app = Pyxo::gPyxoAppBase;
    const auto found = mCursors.find(name);
    if (found == mCursors.end()) {
        mCurrent = nullptr;
        if (app) {
            app->EnableCustomCursors(false);
            app->SetCursor(kArrowCursorNumber);
            app->SetCursorImage(kDrawnCursorNumber, nullptr);
        }
        return;
    }
    if (!found->second.texture.GetRecord())
        return;
    mCurrent = &found->second;
    if (app) {
        app->EnableCustomCursors(true);
        app->SetCursor(kDrawnCursorNumber);
        app->SetCursorImage(kDrawnCursorNumber, nullptr);
    }
}

void CursorTable::Draw(Pyxo::Graphics* g)
{
    Cursor* current = mCurrent;
    Pyxo::PyxoAppBase* app = Pyxo::gPyxoAppBase;
    if (!g || !current || !mShown || !current->texture.GetRecord() || !app || !app->mWidgetManager)
        return;
    Pyxo::Image* image = current->texture.GetImage();
    if (!image)
        return;
    const Pyxo::WidgetManager& manager = *app->mWidgetManager;
    g->DrawImage(image, manager.mLastMouseX - current->hotSpotX, manager.mLastMouseY - current->hotSpotY);
}

void CursorTable::Reset()
{
    mCurrent = nullptr;
    if (Pyxo::PyxoAppBase* app = Pyxo::gPyxoAppBase) {
        app->EnableCustomCursors(false);
        app->SetCursor(kArrowCursorNumber);
        app->SetCursorImage(kDrawnCursorNumber, nullptr);
    }
    for (auto& [name, cursor] : mCursors)
        cursor.texture.Release();
}
