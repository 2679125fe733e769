#include "engine/TMEffect.h"

#include "engine/EngineLog.h"
#include "engine/ParticleSystemTable.h"
#include "engine/TMEngine.h"
#include "engine/TMTimer.h"
#include "engine/XmlConfig.h"

#include <string_view>
#include <vector>

namespace {

uint32_t CommandOf(const std::string& text)
{
    if (text == "stop")
        return TMEffect::Stop;
    if (text == "start")
        return TMEffect::Start;
    if (text == "resume")
        return TMEffect::Resume;
    if (text == "pause")
        return TMEffect::Pause;
    if (text == "call")
        return TMEffect::Call;
    return 0;
}

/// The "call" function of that name; an unknown name, or one registered only for timer controls, is logged and
/// gives none.
EffectMessageFunction MessageFunction(const std::string& name)
{
    if (EffectMessageFunction function = FindEffectMessageFunction(name))
        return function;
    if (FindEffectFunction(name))
        EngineContentWarning("effect: \"%s\" is a control function, not a message function; the call does nothing",
                             name.c_str());
    else
        EngineContentWarning("effect: unknown function \"%s\"; the call does nothing", name.c_str());
    return nullptr;
}

} // namespace

TMEffect::TMEffect() = default;

TMEffect::~TMEffect()
{
    // The particle systems made for this effect go with it, so that a new effect at this address does not
    // inherit them.
    TMEngine* engine = TMEngine::GetEngine();
    if (engine && engine->GetParticleSystems())
        engine->GetParticleSystems()->RemoveOwner(this);
    for (auto& [id, timer] : mTimers)
        delete timer;
}

void TMEffect::Load(pugi::xml_node effect)
{
    std::map<std::string, TMTimer*, std::less<>> byName;
    int32_t id = 0;
    for (pugi::xml_node node : effect.child("timers").children("timer")) {
        auto* timer = new TMTimer(this);
        timer->Load(node);
        mTimers[id++] = timer;
        byName.emplace(timer->GetName(), timer);
    }
    for (pugi::xml_node node : effect.child("messages").children("message")) {
        std::string name;
        std::string target;
        std::string commandText;
        XmlGetAttrString(node, "name", name);
        XmlGetAttrString(node, "timer_id", target);
        XmlGetAttrString(node, "command", commandText);
        MessageCommand command;
        command.command = CommandOf(commandText);
        if (command.command == 0) {
            EngineContentWarning("effect: message \"%s\" has an unknown command \"%s\"; dropped", name.c_str(),
                                 commandText.c_str());
            continue;
        }
        if (command.command == Call) {
            command.function = MessageFunction(target);
        } else {
            const auto found = byName.find(target);
            if (found == byName.end()) {
                EngineContentWarning("effect: message \"%s\" names no timer \"%s\"; dropped", name.c_str(),
                                     target.c_str());
                continue;
            }
            command.timer = found->second;
        }
        AddMessage(name, command);
    }
}

void TMEffect::AddMessage(const std::string& name, const MessageCommand& command)
{
    mMessages.emplace(name, command);
}

bool TMEffect::SendMessage(const char* name)
{
    const auto [first, last] = mMessages.equal_range(std::string_view(name ? name : ""));
    if (first == last)
        return false;
    // A called function may file or drop commands of this effect: run from a copy.
    std::vector<MessageCommand> commands;
    for (auto it = first; it != last; ++it)
        commands.push_back(it->second);
    for (const MessageCommand& command : commands) {
        if (!command.enabled)
            continue;
        switch (command.command) {
        case Stop:
            command.timer->SetRunning(false);
            command.timer->Restart();
            break;
        case Start:
            command.timer->Restart();
            command.timer->SetRunning(true);
            break;
        case Resume:
            command.timer->SetRunning(true);
            break;
        case Pause:
            command.timer->SetRunning(false);
            break;
        case Call:
            if (command.function)
                command.function(this);
            break;
        default:
            break;
        }
    }
    // Controls at time 0 of a timer just started act in the same frame as the message.
    if (mEnabled)
        Update(0.0f);
    return true;
}

void TMEffect::Update(float dt)
{
    if (!mEnabled)
        return;
    for (auto& [id, timer] : mTimers) {
        if (!timer->IsFinished() && timer->IsRunning())
            timer->Update(dt);
    }
}

TMTimer* TMEffect::GetTimer(int32_t id) const
{
    const auto found = mTimers.find(id);
    return found != mTimers.end() ? found->second : nullptr;
}

bool TMEffect::AddTimer(int32_t id)
{
    if (mTimers.count(id))
        return false;
    mTimers[id] = new TMTimer(this);
    return true;
}

void* TMEffect::GetParam(int32_t id) const
{
    const auto found = mParams.find(id);
    return found != mParams.end() ? found->second : nullptr;
}

bool TMEffect::SetParam(int32_t id, void* value)
{
    mParams[id] = value;
    return true;
}

void TMEffect::RemoveParam(int32_t id)
{
    mParams.erase(id);
}

bool TMEffect::HasMessage(const char* name) const
{
    return mMessages.count(std::string_view(name ? name : "")) > 0;
}

void TMEffect::SetMessageEnabled(const char* name, bool enabled)
{
    const auto [first, last] = mMessages.equal_range(std::string_view(name ? name : ""));
    for (auto it = first; it != last; ++it)
        it->second.enabled = enabled;
}

bool TMEffect::IsMessageEnabled(const char* name) const
{
    const auto [first, last] = mMessages.equal_range(std::string_view(name ? name : ""));
    if (first == last)
        return false;
    for (auto it = first; it != last; ++it) {
        if (!it->second.enabled)
            return false;
    }
    return true;
}
