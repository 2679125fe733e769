#include "platform/window/MessageBox.h"

#include "platform/log/Log.h"
#include "platform/process/MainThread.h"
#include "platform/window/SdlWindowAccess.h"
#include "platform/window/Utf16Conversion.h"
#include "platform/window/VideoSystem.h"

#include <SDL.h>

#include <algorithm>
#include <cassert>
#include <deque>
#include <future>
#include <memory>
#include <mutex>

namespace Platform {
namespace {

struct Request {
    WindowHandle owner;
    std::wstring text;
    std::wstring caption;
    uint32_t flags = 0;
    std::promise<int> answer;
};

struct MessageBoxState {
    std::mutex mutex;
    std::deque<std::shared_ptr<Request>> pending;
    bool refused = false;
    bool scripted = false;
    std::deque<int> answers;
    std::vector<MessageBoxCall> calls;
};

MessageBoxState& State()
{
    static MessageBoxState state;
    return state;
}

struct Button {
    int id;
    const char* label;
};

int ShowWithSdl(WindowHandle owner, std::wstring_view text, std::wstring_view caption, uint32_t flags)
{
    std::vector<Button> buttons;
    int closeAnswer = IDCANCEL;
    switch (flags & 0xF) {
    case MB_OKCANCEL:
        buttons = {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
        break;
    case MB_ABORTRETRYIGNORE:
        buttons = {{IDABORT, "Abort"}, {IDRETRY, "Retry"}, {IDIGNORE, "Ignore"}};
        closeAnswer = IDABORT;
        break;
    case MB_YESNOCANCEL:
        buttons = {{IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}};
        break;
    case MB_YESNO:
        buttons = {{IDYES, "Yes"}, {IDNO, "No"}};
        closeAnswer = IDNO;
        break;
    case MB_RETRYCANCEL:
        buttons = {{IDRETRY, "Retry"}, {IDCANCEL, "Cancel"}};
        break;
    default:
        buttons = {{IDOK, "OK"}};
        closeAnswer = IDOK;
        break;
    }
    const size_t defaultButton = std::min<size_t>((flags >> 8) & 0xF, buttons.size() - 1);

    std::vector<SDL_MessageBoxButtonData> sdlButtons;
    for (size_t i = 0; i < buttons.size(); ++i) {
        Uint32 buttonFlags = 0;
        if (i == defaultButton)
            buttonFlags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        if (buttons[i].id == closeAnswer)
            buttonFlags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        sdlButtons.push_back({buttonFlags, buttons[i].id, buttons[i].label});
    }
    Uint32 boxFlags = SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    switch (flags & 0xF0) {
    case MB_ICONERROR:
        boxFlags |= SDL_MESSAGEBOX_ERROR;
        break;
    case MB_ICONWARNING:
        boxFlags |= SDL_MESSAGEBOX_WARNING;
        break;
    default:
        boxFlags |= SDL_MESSAGEBOX_INFORMATION;
        break;
    }
    const std::string title = Utf16ToUtf8(caption);
    const std::string message = Utf16ToUtf8(text);
    SDL_MessageBoxData data{};
    data.flags = boxFlags;
    data.window = SdlWindowOf(owner);
    data.title = title.c_str();
    data.message = message.c_str();
    data.numbuttons = static_cast<int>(sdlButtons.size());
    data.buttons = sdlButtons.data();
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) {
        PLATFORM_LOG_ERROR("window", "cannot show message box \"%s\": %s", title.c_str(), SDL_GetError());
        return 0;
    }
    return pressed < 0 ? closeAnswer : pressed;
}

// Main thread.
int Show(WindowHandle owner, std::wstring_view text, std::wstring_view caption, uint32_t flags, bool fromOtherThread)
{
    MessageBoxState& state = State();
    {
        std::lock_guard lock(state.mutex);
        if (state.scripted) {
            int answer = 0;
            if (state.answers.empty()) {
                PLATFORM_LOG_WARNING("window", "message box \"%s\" has no scripted answer",
                                     Utf16ToUtf8(caption).c_str());
            } else {
                answer = state.answers.front();
                state.answers.pop_front();
            }
            state.calls.push_back({owner, std::wstring(text), std::wstring(caption), flags, fromOtherThread, answer});
            return answer;
        }
    }
    if (IsHeadless()) {
        PLATFORM_LOG_WARNING("window", "message box not shown (no display): %s: %s", Utf16ToUtf8(caption).c_str(),
                             Utf16ToUtf8(text).c_str());
        return 0;
    }
    return ShowWithSdl(owner, text, caption, flags);
}

} // namespace

int MessageBox(WindowHandle owner, std::wstring_view text, std::wstring_view caption, uint32_t flags)
{
    if (IsMainThread())
        return Show(owner, text, caption, flags, false);

    MessageBoxState& state = State();
    auto request = std::make_shared<Request>();
    request->owner = owner;
    request->text = text;
    request->caption = caption;
    request->flags = flags;
    std::future<int> answer = request->answer.get_future();
    {
        std::lock_guard lock(state.mutex);
        if (state.refused)
            return 0;
        state.pending.push_back(std::move(request));
    }
    return answer.get();
}

bool ShowStandaloneMessageBox(const std::string& text, const std::string& caption)
{
    if (IsHeadless())
        return false;
    return SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(), nullptr) == 0;
}

void ServiceMessageBoxRequests()
{
    if (!IsMainThread())
        return;
    MessageBoxState& state = State();
    for (;;) {
        std::shared_ptr<Request> request;
        {
            std::lock_guard lock(state.mutex);
            if (state.pending.empty())
                return;
            request = std::move(state.pending.front());
            state.pending.pop_front();
        }
        request->answer.set_value(Show(request->owner, request->text, request->caption, request->flags, true));
    }
}

void RefuseMessageBoxRequests(bool refuse)
{
    MessageBoxState& state = State();
    std::lock_guard lock(state.mutex);
    state.refused = refuse;
    if (!refuse)
        return;
    for (const auto& request : state.pending)
        request->answer.set_value(0);
    state.pending.clear();
}

MessageBoxScript::MessageBoxScript(std::vector<int> answers)
{
    MessageBoxState& state = State();
    std::lock_guard lock(state.mutex);
    assert(!state.scripted && "one MessageBoxScript at a time");
    state.scripted = true;
    state.answers.assign(answers.begin(), answers.end());
    state.calls.clear();
}

MessageBoxScript::~MessageBoxScript()
{
    MessageBoxState& state = State();
    std::lock_guard lock(state.mutex);
    state.scripted = false;
    state.answers.clear();
    state.calls.clear();
}

void MessageBoxScript::AddAnswer(int answer)
{
    MessageBoxState& state = State();
    std::lock_guard lock(state.mutex);
    state.answers.push_back(answer);
}

std::vector<MessageBoxCall> MessageBoxScript::Calls() const
{
    MessageBoxState& state = State();
    std::lock_guard lock(state.mutex);
    return state.calls;
}

} // namespace Platform
