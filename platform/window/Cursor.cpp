#include "platform/window/Cursor.h"

#include "platform/log/Log.h"
#include "platform/process/MainThread.h"
#include "platform/window/VideoSystem.h"

#include <SDL.h>

#include <map>
#include <mutex>
#include <vector>

namespace Platform {
namespace {

struct CursorRecord {
    bool system = false;
    SystemCursor kind = SystemCursor::Arrow;
    int width = 0;
    int height = 0;
    int hotX = 0;
    int hotY = 0;
    std::vector<uint32_t> pixels;
    SDL_Cursor* sdl = nullptr; // owned; valid only while `generation` is the current video generation
    uint32_t generation = 0;
    bool unavailable = false; // SDL refused it in this generation; not asked again
};

struct CursorState {
    // The pointer starts as the arrow, as a window class without a cursor of its own shows it.
    CursorState()
    {
        CursorRecord arrow;
        arrow.system = true;
        cursors.emplace(current.id, std::move(arrow));
        systemIds.emplace(SystemCursor::Arrow, current.id);
    }

    std::mutex mutex; // for GetCursor off the main thread
    std::map<uint32_t, CursorRecord> cursors;
    std::map<SystemCursor, uint32_t> systemIds;
    CursorHandle current{1};
    uint32_t nextId = 2;
    int displayCount = 0;
};

CursorState& State()
{
    static CursorState state;
    return state;
}

SDL_SystemCursor ToSdl(SystemCursor cursor)
{
    switch (cursor) {
    case SystemCursor::Arrow:
        return SDL_SYSTEM_CURSOR_ARROW;
    case SystemCursor::IBeam:
        return SDL_SYSTEM_CURSOR_IBEAM;
    case SystemCursor::Wait:
        return SDL_SYSTEM_CURSOR_WAIT;
    case SystemCursor::Cross:
        return SDL_SYSTEM_CURSOR_CROSSHAIR;
    case SystemCursor::WaitArrow:
        return SDL_SYSTEM_CURSOR_WAITARROW;
    case SystemCursor::SizeNWSE:
        return SDL_SYSTEM_CURSOR_SIZENWSE;
    case SystemCursor::SizeNESW:
        return SDL_SYSTEM_CURSOR_SIZENESW;
    case SystemCursor::SizeWE:
        return SDL_SYSTEM_CURSOR_SIZEWE;
    case SystemCursor::SizeNS:
        return SDL_SYSTEM_CURSOR_SIZENS;
    case SystemCursor::SizeAll:
        return SDL_SYSTEM_CURSOR_SIZEALL;
    case SystemCursor::No:
        return SDL_SYSTEM_CURSOR_NO;
    case SystemCursor::Hand:
        return SDL_SYSTEM_CURSOR_HAND;
    }
    return SDL_SYSTEM_CURSOR_ARROW;
}

// The SDL cursor of a record, made on first need in the current start of SDL video (which frees all cursors
// when it stops).
SDL_Cursor* Realize(CursorRecord& record)
{
    if (!VideoRunning())
        return nullptr;
    if (record.generation != VideoGeneration()) {
        record.sdl = nullptr;
        record.unavailable = false;
        record.generation = VideoGeneration();
    }
    if (record.sdl || record.unavailable)
        return record.sdl;
    if (record.system) {
        record.sdl = SDL_CreateSystemCursor(ToSdl(record.kind));
    } else {
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(record.pixels.data(), record.width, record.height, 32,
                                                                  record.width * 4, SDL_PIXELFORMAT_ARGB8888);
        if (surface) {
            record.sdl = SDL_CreateColorCursor(surface, record.hotX, record.hotY);
            SDL_FreeSurface(surface);
        }
    }
    if (!record.sdl) {
        // The dummy driver has no cursors at all; the pointer then simply keeps its look.
        Log(LogLevel::Debug, "window", "cursor not available: %s", SDL_GetError());
        record.unavailable = true;
    }
    return record.sdl;
}

// Main thread, state locked.
void Apply(CursorState& state)
{
    if (!VideoRunning())
        return;
    CursorRecord* record = nullptr;
    if (const auto it = state.cursors.find(state.current.id); it != state.cursors.end())
        record = &it->second;
    if (record) {
        if (SDL_Cursor* sdl = Realize(*record))
            SDL_SetCursor(sdl);
    }
    SDL_ShowCursor(record && state.displayCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
}

bool OnMainThread(const char* operation)
{
    if (IsMainThread())
        return true;
    PLATFORM_LOG_ERROR("window", "%s must run on the main thread", operation);
    return false;
}

} // namespace

CursorHandle LoadSystemCursor(SystemCursor cursor)
{
    CursorState& state = State();
    std::lock_guard lock(state.mutex);
    if (const auto it = state.systemIds.find(cursor); it != state.systemIds.end())
        return CursorHandle{it->second};
    const uint32_t id = state.nextId++;
    CursorRecord record;
    record.system = true;
    record.kind = cursor;
    state.cursors.emplace(id, std::move(record));
    state.systemIds.emplace(cursor, id);
    return CursorHandle{id};
}

CursorHandle CreateCursorFromArgb(int width, int height, std::span<const uint32_t> argb, int hotX, int hotY)
{
    constexpr int kMaximumSize = 256;
    if (width < 1 || height < 1 || width > kMaximumSize || height > kMaximumSize) {
        PLATFORM_LOG_ERROR("window", "cursor size %d x %d is not 1 to %d", width, height, kMaximumSize);
        return {};
    }
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (argb.size() < count) {
        PLATFORM_LOG_ERROR("window", "cursor of %d x %d has only %zu pixels", width, height, argb.size());
        return {};
    }
    if (hotX < 0 || hotY < 0 || hotX >= width || hotY >= height) {
        PLATFORM_LOG_ERROR("window", "cursor hot spot (%d, %d) lies outside %d x %d", hotX, hotY, width, height);
        return {};
    }
    CursorRecord record;
    record.width = width;
    record.height = height;
    record.hotX = hotX;
    record.hotY = hotY;
    record.pixels.assign(argb.begin(), argb.begin() + static_cast<std::ptrdiff_t>(count));
    CursorState& state = State();
    std::lock_guard lock(state.mutex);
    const uint32_t id = state.nextId++;
    state.cursors.emplace(id, std::move(record));
    return CursorHandle{id};
}

bool DestroyCursor(CursorHandle cursor)
{
    if (!OnMainThread("DestroyCursor"))
        return false;
    const CursorHandle arrow = LoadSystemCursor(SystemCursor::Arrow);
    CursorState& state = State();
    std::lock_guard lock(state.mutex);
    const auto it = state.cursors.find(cursor.id);
    if (it == state.cursors.end() || it->second.system)
        return false;
    if (state.current == cursor) {
        state.current = arrow;
        Apply(state);
    }
    if (it->second.sdl && it->second.generation == VideoGeneration() && VideoRunning())
        SDL_FreeCursor(it->second.sdl);
    state.cursors.erase(it);
    return true;
}

CursorHandle SetCursor(CursorHandle cursor)
{
    CursorState& state = State();
    std::lock_guard lock(state.mutex);
    const CursorHandle previous = state.current;
    if (!OnMainThread("SetCursor") || (cursor && !state.cursors.count(cursor.id)))
        return previous;
    state.current = cursor;
    Apply(state);
    return previous;
}

CursorHandle GetCursor()
{
    CursorState& state = State();
    std::lock_guard lock(state.mutex);
    return state.current;
}

int ShowCursor(bool show)
{
    CursorState& state = State();
    std::lock_guard lock(state.mutex);
    if (!OnMainThread("ShowCursor"))
        return state.displayCount;
    state.displayCount += show ? 1 : -1;
    Apply(state);
    return state.displayCount;
}

} // namespace Platform
