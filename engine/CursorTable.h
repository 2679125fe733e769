#pragma once

#include "engine/TextureHandle.h"

#include <pugixml.hpp>

#include <map>
#include <string>

namespace Pyxo {
class Graphics;
}

/// The engine's drawn mouse cursors: a texture with a hot spot per cursor name, from the "cursors" elements of
/// cfg\ui.xml. Selecting one hides the system pointer; the engine draws the selected cursor last in each frame.
/// Owned by the engine; loaded on the resource-loading thread, selected and drawn on the main thread (a selection
/// made on the loading thread reaches the window on the main thread).
class CursorTable {
public:
    struct Cursor {
        TextureHandle texture;
        int hotSpotX = 0;
        int hotSpotY = 0;
    };

    CursorTable() = default;
    ~CursorTable(); // Reset
    CursorTable(const CursorTable&) = delete;
    CursorTable& operator=(const CursorTable&) = delete;

    void Load(pugi::xml_node root);
    /// Selects a cursor by name; an unknown name falls back to the system arrow.
    void Set(const std::string& name);
    void Show() { mShown = true; }
    void Hide() { mShown = false; }
    [[nodiscard]] bool IsShown() const { return mShown; }
    /// Draws the selected cursor at the mouse position less its hot spot, while shown.
    void Draw(Pyxo::Graphics* g);
    /// No cursor selected, custom cursors off, the system arrow back, every cursor texture released.
    void Reset();

private:
    std::map<std::string, Cursor> mCursors;
    [[maybe_unused]] Cursor* mCurrent = nullptr; // in mCursors; set once cursors are chosen
    bool mShown = true;
};
