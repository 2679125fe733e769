#include "platform/window/WindowSystem.h"

#include "platform/log/Log.h"
#include "platform/process/MainThread.h"
#include "platform/time/Clock.h"
#include "platform/window/EventTranslator.h"
#include "platform/window/MessageBox.h"
#include "platform/window/SdlWindowAccess.h"
#include "platform/window/Utf16Conversion.h"
#include "platform/window/VideoSystem.h"
#include "platform/window/VirtualKeys.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <map>
#include <mutex>
#include <vector>

namespace Platform {
namespace {

struct WindowRecord {
    std::string className;
    SDL_Window* sdl = nullptr; // owned; valid only while `generation` is the current video generation
    uint32_t sdlId = 0;
    uint32_t generation = 0;
    void* userData = nullptr; // the caller's, not ours
    WindowRect frame;         // client area in screen coordinates
    bool visible = false;
};

struct Timer {
    WindowHandle window;
    uintptr_t id = 0;
    uint32_t interval = 0;
    uint32_t start = 0; // tick of the last WM_TIMER, or of SetTimer
};

struct WindowSystem {
    std::mutex mutex; // guards everything below except the main-thread-only members
    std::map<uint32_t, WindowRecord> windows;
    uint32_t nextId = 1;
    std::map<std::string, WindowProcedure> classes;
    std::deque<WindowMessage> queue;
    std::vector<Timer> timers;
    std::map<std::wstring, uint32_t> registeredMessages;
    WindowHandle capture;
    WindowHandle mouseFocus;
    WindowHandle keyboardFocus;

    // Main thread only.
    EventTranslator translator;
    std::vector<WindowMessage> translated;
};

WindowSystem& System()
{
    static WindowSystem system;
    return system;
}

// Both halves in one word, so the cursor thread never sees x of one move with y of another.
std::atomic<uint64_t> gPointer{0};

void PublishPointer(WindowPoint p)
{
    gPointer.store((uint64_t{static_cast<uint32_t>(p.x)} << 32) | static_cast<uint32_t>(p.y));
}

bool OnMainThread(const char* operation)
{
    if (IsMainThread())
        return true;
    PLATFORM_LOG_ERROR("window", "%s must run on the main thread", operation);
    return false;
}

WindowRecord* Find(WindowSystem& system, WindowHandle window)
{
    const auto it = system.windows.find(window.id);
    return it == system.windows.end() ? nullptr : &it->second;
}

SDL_Window* LiveSdl(const WindowRecord& record)
{
    return record.sdl && record.generation == VideoGeneration() && VideoRunning() ? record.sdl : nullptr;
}

// The SDL window of a handle, looked up under the lock and used after it: only the main thread destroys SDL
// windows, and only the main thread calls this.
SDL_Window* SdlOf(WindowHandle window)
{
    WindowSystem& system = System();
    std::lock_guard lock(system.mutex);
    const WindowRecord* record = Find(system, window);
    return record ? LiveSdl(*record) : nullptr;
}

WindowHandle HandleOfSdlId(WindowSystem& system, uint32_t sdlId)
{
    for (const auto& [id, record] : system.windows) {
        if (record.sdl && record.sdlId == sdlId && record.generation == VideoGeneration())
            return WindowHandle{id};
    }
    return {};
}

bool Contains(const WindowRect& r, WindowPoint p)
{
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

WindowMessage Stamped(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    WindowMessage m;
    m.hwnd = window;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = GetTickCount();
    m.pt = GetCursorPos();
    return m;
}

// Under the lock. Repaints of one window merge, as the system merges invalid regions.
void Enqueue(WindowSystem& system, const WindowMessage& message)
{
    if (message.message == WM_PAINT) {
        const bool waiting = std::any_of(system.queue.begin(), system.queue.end(), [&](const WindowMessage& m) {
            return m.message == WM_PAINT && m.hwnd == message.hwnd;
        });
        if (waiting)
            return;
    }
    system.queue.push_back(message);
}

// Under the lock: what the pump learns from an event besides its messages.
void TrackEvent(WindowSystem& system, const SDL_Event& event)
{
    const auto pointerAt = [&](uint32_t sdlId, int x, int y) {
        const WindowHandle window = HandleOfSdlId(system, sdlId);
        if (const WindowRecord* record = Find(system, window)) {
            PublishPointer({record->frame.left + x, record->frame.top + y});
            if (x >= 0 && y >= 0 && x < record->frame.Width() && y < record->frame.Height())
                system.mouseFocus = window;
        }
    };
    switch (event.type) {
    case SDL_MOUSEMOTION:
        pointerAt(event.motion.windowID, event.motion.x, event.motion.y);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        pointerAt(event.button.windowID, event.button.x, event.button.y);
        break;
    case SDL_WINDOWEVENT: {
        const WindowHandle window = HandleOfSdlId(system, event.window.windowID);
        WindowRecord* record = Find(system, window);
        if (!record)
            break;
        WindowRect& frame = record->frame;
        switch (event.window.event) {
        case SDL_WINDOWEVENT_MOVED:
            frame = {event.window.data1, event.window.data2, event.window.data1 + frame.Width(),
                     event.window.data2 + frame.Height()};
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            frame.right = frame.left + event.window.data1;
            frame.bottom = frame.top + event.window.data2;
            break;
        case SDL_WINDOWEVENT_SHOWN:
            record->visible = true;
            break;
        case SDL_WINDOWEVENT_HIDDEN:
            record->visible = false;
            break;
        case SDL_WINDOWEVENT_ENTER:
            system.mouseFocus = window;
            break;
        case SDL_WINDOWEVENT_LEAVE:
            if (system.mouseFocus == window)
                system.mouseFocus = {};
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            system.keyboardFocus = window;
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            if (system.keyboardFocus == window)
                system.keyboardFocus = {};
            break;
        default:
            break;
        }
        break;
    }
    default:
        break;
    }
}

void PumpSdl(WindowSystem& system)
{
    if (!VideoRunning())
        return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        system.translated.clear();
        system.translator.Translate(event, system.translated);
        std::lock_guard lock(system.mutex);
        TrackEvent(system, event);
        for (const WindowMessage& m : system.translated)
            Enqueue(system, Stamped(m.hwnd, m.message, m.wParam, m.lParam));
    }
}

// Under the lock: the system makes timer messages only for an otherwise empty queue, one at a time.
void MakeTimerMessage(WindowSystem& system)
{
    const uint32_t now = GetTickCount();
    for (auto it = system.timers.begin(); it != system.timers.end(); ++it) {
        if (static_cast<uint32_t>(now - it->start) < it->interval)
            continue;
        Timer timer = *it;
        timer.start = now;
        // To the back, so that a short timer cannot starve the others.
        system.timers.erase(it);
        system.timers.push_back(timer);
        system.queue.push_back(Stamped(timer.window, WM_TIMER, timer.id, 0));
        return;
    }
}

} // namespace

void RegisterWindowClass(const std::string& className, WindowProcedure procedure)
{
    WindowSystem& system = System();
    std::lock_guard lock(system.mutex);
    system.classes[className] = std::move(procedure);
}

WindowHandle CreateWindow(const WindowCreateInfo& info)
{
    if (!OnMainThread("CreateWindow"))
        return {};
    WindowSystem& system = System();
    {
        std::lock_guard lock(system.mutex);
        if (!system.classes.count(info.className)) {
            PLATFORM_LOG_ERROR("window", "CreateWindow: window class \"%s\" is not registered", info.className.c_str());
            return {};
        }
    }
    if (info.width < 0 || info.height < 0) {
        PLATFORM_LOG_ERROR("window", "CreateWindow: negative size %d x %d", info.width, info.height);
        return {};
    }

    WindowRecord record;
    record.className = info.className;
    record.visible = info.visible;
    const bool onScreen = info.width > 0 && info.height > 0;
    if (onScreen) {
        if (!EnsureVideo())
            return {};
        Uint32 flags = info.visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
        if (info.mode == WindowMode::FullScreen)
            flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        if (info.resizable)
            flags |= SDL_WINDOW_RESIZABLE;
        const int x = info.x == kDefaultPosition ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : info.x;
        const int y = info.y == kDefaultPosition ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : info.y;
        const std::string title = Utf16ToUtf8(info.title);
        record.sdl = SDL_CreateWindow(title.c_str(), x, y, info.width, info.height, flags);
        if (!record.sdl) {
            PLATFORM_LOG_ERROR("window", "cannot create a window of %d x %d: %s", info.width, info.height,
                               SDL_GetError());
            return {};
        }
        record.sdlId = SDL_GetWindowID(record.sdl);
        record.generation = VideoGeneration();
        int left = 0, top = 0, width = 0, height = 0;
        SDL_GetWindowPosition(record.sdl, &left, &top);
        SDL_GetWindowSize(record.sdl, &width, &height);
        record.frame = {left, top, left + width, top + height};
    }

    std::lock_guard lock(system.mutex);
    const WindowHandle handle{system.nextId++};
    // SDL numbers windows afresh after a restart of video; the new window takes over the number from a stale one.
    if (record.sdl)
        system.translator.AddWindow(record.sdlId, handle, record.frame.Width(), record.frame.Height());
    system.windows.emplace(handle.id, std::move(record));
    return handle;
}

bool DestroyWindow(WindowHandle window)
{
    if (!OnMainThread("DestroyWindow") || !IsWindow(window))
        return false;
    WindowMessage destroy;
    destroy.hwnd = window;
    destroy.message = WM_DESTROY;
    DispatchMessage(destroy);

    WindowSystem& system = System();
    SDL_Window* sdl = nullptr;
    bool releaseCapture = false;
    {
        std::lock_guard lock(system.mutex);
        WindowRecord* record = Find(system, window);
        if (!record)
            return false; // its procedure destroyed it already
        sdl = LiveSdl(*record);
        if (sdl)
            system.translator.RemoveWindow(record->sdlId);
        system.windows.erase(window.id);
        std::erase_if(system.timers, [&](const Timer& t) { return t.window == window; });
        std::erase_if(system.queue, [&](const WindowMessage& m) { return m.hwnd == window; });
        releaseCapture = system.capture == window;
        for (WindowHandle* held : {&system.capture, &system.mouseFocus, &system.keyboardFocus}) {
            if (*held == window)
                *held = {};
        }
    }
    if (releaseCapture && VideoRunning())
        SDL_CaptureMouse(SDL_FALSE);
    if (sdl)
        SDL_DestroyWindow(sdl);
    return true;
}

bool IsWindow(WindowHandle window)
{
    WindowSystem& system = System();
    std::lock_guard lock(system.mutex);
    return Find(system, window) != nullptr;
}

void SetWindowUserData(WindowHandle window, void* data)
{
    WindowSystem& system = System();
    std::lock_guard lock(system.mutex);
    if (WindowRecord* record = Find(system, window))
        record->userData = data;
}

void* GetWindowUserData(WindowHandle window)
{
    WindowSystem& system = System();
    std::lock_guard lock(system.mutex);
    const WindowRecord* record = Find(system, window);
    return record ? record->userData : nullptr;
}

bool ShowWindow(WindowHandle window, int command)
{
    if (!OnMainThread("ShowWindow"))
        return false;
    WindowSystem& system = System();
    bool wasVisible = false;
    {
        std::lock_guard lock(system.mutex);
        WindowRecord* record = Find(system, window);
        if (!record)
            return false;
        wasVisible = record->visible;
        record->visible = command != SW_HIDE;
    }
    SDL_Window* sdl = SdlOf(window);
    if (!sdl)
        return wasVisible;
    switch (command) {
    case SW_HIDE:
        SDL_HideWindow(sdl);
        break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
        SDL_ShowWindow(sdl);
        SDL_RestoreWindow(sdl);
        SDL_RaiseWindow(sdl);
        break;
    case SW_SHOWNOACTIVATE:
        SDL_ShowWindow(sdl);
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
        SDL_ShowWindow(sdl);
        SDL_MinimizeWindow(sdl);
        break;
    case SW_MAXIMIZE:
        SDL_ShowWindow(sdl);
        SDL_MaximizeWindow(sdl);
        break;
    default: // SW_SHOW and the rest
        SDL_ShowWindow(sdl);
        SDL_RaiseWindow(sdl);
        break;
    }
    return wasVisible;
}

bool IsWindowVisible(WindowHandle window)
{
    WindowSystem& system = System();
    std::lock_guard lock(system.mutex);
    const WindowRecord* record = Find(system, window);
    return record && record->visible;
}

bool IsIconic(WindowHandle window)
{
    if (!IsMainThread())
        return false;
    SDL_Window* sdl = SdlOf(window);
    return sdl && (SDL_GetWindowFlags(sdl) & SDL_WINDOW_MINIMIZED) != 0;
}

bool SetWindowText(WindowHandle window, std::wstring_view title)
{
    if (!OnMainThread("SetWindowText") || !IsWindow(window))
        return false;
    if (SDL_Window* sdl = SdlOf(window))
        SDL_SetWindowTitle(sdl, Utf16ToUtf8(title).c_str());
    return true;
}

bool SetForegroundWindow(WindowHandle window)
{
    if (!OnMainThread("SetForegroundWindow"))
        return false;
    SDL_Window* sdl = SdlOf(window);
    if (sdl)
        SDL_RaiseWindow(sdl);
    return sdl != nullptr;
}

bool MoveWindow(WindowHandle window, int x, int y)
{
    if (!OnMainThread("MoveWindow"))
        return false;
    SDL_Window* sdl = SdlOf(window);
    if (!sdl)
        return false;
    SDL_SetWindowPosition(sdl, x, y);
    int left = x, top = y;
    SDL_GetWindowPosition(sdl, &left, &top);
    WindowSystem& system = System();
    std::lock_guard lock(system.mutex);
    if (WindowRecord* record = Find(system, window)) {
        WindowRect& frame = record->frame;
        frame = {left, top, left + frame.Width(), top + frame.Height()};
    }
    return true;
}

bool SetWindowSize(WindowHandle window, int width, int height)
{
    if (!OnMainThread("SetWindowSize"))
        return false;
    SDL_Window* sdl = SdlOf(window);
    if (!sdl || width <= 0 || height <= 0)
        return false;
    SDL_SetWindowSize(sdl, width, height);
    SDL_GetWindowSize(sdl, &width, &height);
    WindowSystem& system = System();
    std::lock_guard lock(system.mutex);
    if (WindowRecord* record = Find(system, window)) {
        WindowRect& frame = record->frame;
        frame.right = frame.left + width;
        frame.bottom = frame.top + height;
    }
    return true;
}

WindowRect GetClientRect(WindowHandle window)
{
    WindowSystem& system = System();
    if (IsMainThread()) {
        // SDL knows a size change before its event arrives.
        if (SDL_Window* sdl = SdlOf(window)) {
            int width = 0, height = 0;
            SDL_GetWindowSize(sdl, &width, &height);
            std::lock_guard lock(system.mutex);
            if (WindowRecord* record = Find(system, window)) {
                record->frame.right = record->frame.left + width;
                record->frame.bottom = record->frame.top + height;
            }
        }
    }
    std::lock_guard lock(system.mutex);
    const WindowRecord* record = Find(system, window);
    return record ? WindowRect{0, 0, record->frame.Width(), record->frame.Height()} : WindowRect{};
}

std::optional<WindowPlacement> GetWindowPlacement(WindowHandle window)
{
    WindowSystem& system = System();
    WindowPlacement placement;
    {
        std::lock_guard lock(system.mutex);
        const WindowRecord* record = Find(system, window);
        if (!record)
            return std::nullopt;
        placement.normalPosition = record->frame;
        placement.showCommand = record->visible ? SW_SHOWNORMAL : SW_HIDE;
    }
    if (IsMainThread() && placement.showCommand != SW_HIDE) {
        if (SDL_Window* sdl = SdlOf(window)) {
            const Uint32 flags = SDL_GetWindowFlags(sdl);
            if (flags & SDL_WINDOW_MINIMIZED)
                placement.showCommand = SW_SHOWMINIMIZED;
            else if (flags & SDL_WINDOW_MAXIMIZED)
                placement.showCommand = SW_MAXIMIZE;
        }
    }
    return placement;
}

WindowHandle GetActiveWindow()
{
    WindowSystem& system = System();
    std::lock_guard lock(system.mutex);
    return system.keyboardFocus;
}

bool PeekMessage(WindowMessage& message, bool remove)
{
    if (!IsMainThread())
        return false;
    ServiceMessageBoxRequests();
    WindowSystem& system = System();
    PumpSdl(system);
    std::lock_guard lock(system.mutex);
    if (system.queue.empty())
        MakeTimerMessage(system);
    if (system.queue.empty())
        return false;
    message = system.queue.front();
    if (remove)
        system.queue.pop_front();
    return true;
}

intptr_t DispatchMessage(const WindowMessage& message)
{
    WindowProcedure procedure;
    {
        WindowSystem& system = System();
        std::lock_guard lock(system.mutex);
        const WindowRecord* record = Find(system, message.hwnd);
        if (!record)
            return 0;
        const auto it = system.classes.find(record->className);
        if (it == system.classes.end() || !it->second)
            return 0;
        procedure = it->second; // a copy: the procedure may register classes or destroy its window
    }
    return procedure(message.hwnd, message.message, message.wParam, message.lParam);
}

bool PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    WindowSystem& system = System();
    std::lock_guard lock(system.mutex);
    if (window == HWND_BROADCAST) {
        for (const auto& [id, record] : system.windows)
            Enqueue(system, Stamped(WindowHandle{id}, message, wParam, lParam));
        return true;
    }
    if (!Find(system, window))
        return false;
    Enqueue(system, Stamped(window, message, wParam, lParam));
    return true;
}

intptr_t DefWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t /*lParam*/)
{
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam == VK_F4)
            PostMessage(window, WM_CLOSE);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE)
            PostMessage(window, WM_CLOSE);
        return 0;
    case WM_QUERYOPEN:
    case WM_QUERYENDSESSION:
        return 1;
    default:
        return 0;
    }
}

uint32_t RegisterWindowMessage(std::wstring_view name)
{
    WindowSystem& system = System();
    std::lock_guard lock(system.mutex);
    const std::wstring key(name);
    if (const auto it = system.registeredMessages.find(key); it != system.registeredMessages.end())
        return it->second;
    const uint32_t next = kFirstRegisteredMessage + static_cast<uint32_t>(system.registeredMessages.size());
    if (next > 0xFFFF)
        return 0;
    system.registeredMessages.emplace(key, next);
    return next;
}

uintptr_t SetTimer(WindowHandle window, uintptr_t id, uint32_t intervalMs)
{
    constexpr uint32_t kMinimumInterval = 10; // as the system: shorter timers would flood the queue
    WindowSystem& system = System();
    std::lock_guard lock(system.mutex);
    if (id == 0 || !Find(system, window))
        return 0;
    std::erase_if(system.timers, [&](const Timer& t) { return t.window == window && t.id == id; });
    system.timers.push_back(Timer{window, id, std::max(intervalMs, kMinimumInterval), GetTickCount()});
    return id;
}

bool KillTimer(WindowHandle window, uintptr_t id)
{
    WindowSystem& system = System();
    std::lock_guard lock(system.mutex);
    const size_t removed =
        std::erase_if(system.timers, [&](const Timer& t) { return t.window == window && t.id == id; });
    // A WM_TIMER made before the kill must not arrive after it.
    std::erase_if(system.queue,
                  [&](const WindowMessage& m) { return m.hwnd == window && m.message == WM_TIMER && m.wParam == id; });
    return removed > 0;
}

WindowHandle SetCapture(WindowHandle window)
{
    if (!OnMainThread("SetCapture") || !IsWindow(window))
        return {};
    WindowSystem& system = System();
    WindowHandle previous;
    {
        std::lock_guard lock(system.mutex);
        previous = system.capture;
        system.capture = window;
    }
    // Drivers without capture (the dummy one) refuse; the capture is still ours to report.
    if (SdlOf(window))
        SDL_CaptureMouse(SDL_TRUE);
    return previous;
}

bool ReleaseCapture()
{
    if (!OnMainThread("ReleaseCapture"))
        return false;
    WindowSystem& system = System();
    WindowHandle held;
    {
        std::lock_guard lock(system.mutex);
        held = system.capture;
        system.capture = {};
    }
    if (held && VideoRunning())
        SDL_CaptureMouse(SDL_FALSE);
    return true;
}

WindowHandle GetCapture()
{
    WindowSystem& system = System();
    std::lock_guard lock(system.mutex);
    return system.capture;
}

WindowPoint GetCursorPos()
{
    const uint64_t pointer = gPointer.load();
    return {static_cast<int32_t>(pointer >> 32), static_cast<int32_t>(pointer & 0xFFFFFFFFu)};
}

bool SetCursorPos(int x, int y)
{
    if (!OnMainThread("SetCursorPos") || !VideoRunning())
        return false;
    WindowSystem& system = System();
    WindowHandle target;
    WindowRect frame;
    {
        std::lock_guard lock(system.mutex);
        for (const auto& [id, record] : system.windows) {
            if (LiveSdl(record) && Contains(record.frame, {x, y})) {
                target = WindowHandle{id};
                frame = record.frame;
                break;
            }
        }
    }
    if (SDL_Window* sdl = SdlOf(target))
        SDL_WarpMouseInWindow(sdl, x - frame.left, y - frame.top);
    else if (SDL_WarpMouseGlobal(x, y) != 0)
        return false;
    PublishPointer({x, y});
    return true;
}

bool ClientToScreen(WindowHandle window, WindowPoint& point)
{
    WindowSystem& system = System();
    std::lock_guard lock(system.mutex);
    const WindowRecord* record = Find(system, window);
    if (!record)
        return false;
    point.x += record->frame.left;
    point.y += record->frame.top;
    return true;
}

bool ScreenToClient(WindowHandle window, WindowPoint& point)
{
    WindowSystem& system = System();
    std::lock_guard lock(system.mutex);
    const WindowRecord* record = Find(system, window);
    if (!record)
        return false;
    point.x -= record->frame.left;
    point.y -= record->frame.top;
    return true;
}

WindowHandle WindowFromPoint(WindowPoint point)
{
    WindowSystem& system = System();
    std::lock_guard lock(system.mutex);
    const WindowRecord* record = Find(system, system.mouseFocus);
    return record && Contains(record->frame, point) ? system.mouseFocus : WindowHandle{};
}

SDL_Window* SdlWindowOf(WindowHandle window)
{
    return IsMainThread() ? SdlOf(window) : nullptr;
}

WindowHandle WindowOfSdlId(uint32_t sdlWindowId)
{
    WindowSystem& system = System();
    std::lock_guard lock(system.mutex);
    return HandleOfSdlId(system, sdlWindowId);
}

} // namespace Platform
