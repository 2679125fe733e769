#pragma once

#include "engine/TextureHandle.h"

#include <pugixml.hpp>

#include <atomic>
#include <map>
#include <string>

namespace Pyxo {
class Graphics;
}

/// The engine's drawn mouse cursors: a texture with a hot spot per cursor name, from the "cursors" elements of
/// cfg\ui.xml. Selecting one hides the system pointer; the engine draws the selected cursor last in each frame.
/// Owned by the engine; loaded on the resource-loading thread, selected and drawn on the main thread (a selection
/// made on the loading thread reaches the window on the main thread). The loading thread selects and hides while
/// the main thread draws, so the selection and the shown flag are atomic.
class CursorTable {
public:
    struct Cursor {
        TextureHandle texture; // acquired from loading until Reset
        int hotSpotX = 0;
        int hotSpotY = 0;
    };

    CursorTable() = default;
    ~CursorTable(); // Reset
    CursorTable(const CursorTable&) = delete;
    CursorTable& operator=(const CursorTable&) = delete;

    /// Reads the "cursors" children of root ("mode", "image", "hot_spot_x", "hot_spot_y"); an element without a
    /// mode or image, or naming an unknown texture, is left out, and the first cursor of a mode stays. Nothing
    /// without an engine texture table.
    void Load(pugi::xml_node root);
    /// Selects a cursor by name; an unknown name falls back to the system arrow, a cursor whose texture has no
    /// record changes nothing.
    void Set(const std::string& name);
    void Show() { mShown = true; }
    void Hide() { mShown = false; }
    [[nodiscard]] bool IsShown() const { return mShown; }
    /// The selected cursor, or null.
    [[nodiscard]] const Cursor* GetCurrent() const { return mCurrent; }
    /// The cursor of that name, or null.
    [[nodiscard]] const Cursor* Find(const std::string& name) const;
    /// Draws the selected cursor at the mouse position less its hot spot, while shown.
    void Draw(Pyxo::Graphics* g);
    /// No cursor selected, custom cursors off, the system arrow back, every cursor texture released.
    void Reset();

private:
    std::map<std::string, Cursor> mCursors;
    std::atomic<Cursor*> mCurrent = nullptr; // in mCursors
    std::atomic<bool> mShown = true;
};
