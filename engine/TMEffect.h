#pragma once

#include "engine/EffectFunctionRegistry.h"

#include <pugixml.hpp>

#include <cstdint>
#include <map>
#include <string>

class TMIEffect;
class TMTimer;

/// The parameter slots that hosts fill and effect functions read, with what each points to.
enum EffectParam : int32_t {
    kEffectParamAnimFrame = 1,        // int32_t: the animation player's current frame
    kEffectParamAnimTiming = 2,       // AnimFrameTiming: the current sequence's fps and frame count
    kEffectParamAnimEnded = 3,        // bool: the player's end-of-sequence flag
    kEffectParamWidgetOffset = 3,     // widget hosts: int32_t offset x, offset y, then float scale
    kEffectParamWidgetScalePoint = 5, // int32_t scale point x, y
    kEffectParamWidget = 6,           // TMCandyWidget: the host widget
    kEffectParamWidgetTargets = 7,    // std::vector<TMCandyWidget::EffectTarget>: the children
    kEffectParamTargetList = 256,     // EffectTargetList of an item or item part
    kEffectParamVisible = 257,        // bool: the item's or part's visibility
    kEffectParamParticles0 = 258,     // TMParticleSystem, up to four: 258 to 261
    kEffectParamParticles3 = 261,
    kEffectParamGraphics = 262,    // Pyxo::Graphics of the draw that sent "render_ps"; only valid during it
    kEffectParamAnchorX = 263,     // int32_t: an item part's anchor x
    kEffectParamAnchorY = 264,     // int32_t: anchor y
    kEffectParamOrientation = 265, // std::string: the part's orientation name
    kEffectParamMirror = 266,      // bool: the part is mirrored
};

/// An effect instance built from a named entry of the effect library: timers by id whose controls call named
/// functions, parameter slots that the host points at its own properties, the host's TMIEffect as target, and
/// named messages ("onshow", "onhide", "oncreate", "render_ps", ...) that start, stop, pause or resume timers or
/// call a function. The host owns it and advances it each frame. Main thread.
class TMEffect {
public:
    enum Command : uint32_t { Stop = 1, Start = 2, Resume = 3, Pause = 4, Call = 5 };

    /// One command of a named message.
    struct MessageCommand {
        TMTimer* timer = nullptr; // borrowed from the effect's timers; null for "call"
        uint32_t command = 0;
        bool enabled = true;
        EffectMessageFunction function = nullptr; // "call" only; null when the name did not resolve
    };

    TMEffect();
    virtual ~TMEffect(); // deletes the timers
    TMEffect(const TMEffect&) = delete;
    TMEffect& operator=(const TMEffect&) = delete;

    /// False when the effect has no message of that name; else runs its commands and returns true.
    bool SendMessage(const char* name);
    /// Advances every running, unfinished timer in id order (only while enabled).
    void Update(float dt);

    [[nodiscard]] TMTimer* GetTimer(int32_t id) const;
    /// False, with nothing added, when the id is taken.
    bool AddTimer(int32_t id);
    [[nodiscard]] void* GetParam(int32_t id) const;
    bool SetParam(int32_t id, void* value); // replaces; true
    void RemoveParam(int32_t id);
    [[nodiscard]] bool HasMessage(const char* name) const;
    void SetMessageEnabled(const char* name, bool enabled);
    [[nodiscard]] bool IsMessageEnabled(const char* name) const;

    /// Reads one "effect" element of the library: its timers (ids 0, 1, 2 ... in order) and its messages.
    void Load(pugi::xml_node effect);
    /// Files a command under the message name, after those already there.
    void AddMessage(const std::string& name, const MessageCommand& command);

    [[nodiscard]] TMIEffect* GetTarget() const { return mTarget; }
    void SetTarget(TMIEffect* target) { mTarget = target; }
    [[nodiscard]] bool IsEnabled() const { return mEnabled; }
    void SetEnabled(bool enabled) { mEnabled = enabled; }

protected:
    bool mEnabled = true;
    std::map<int32_t, TMTimer*> mTimers;                               // owned
    std::map<int32_t, void*> mParams;                                  // borrowed slots, set by the host
    TMIEffect* mTarget = nullptr;                                      // borrowed: the host
    std::multimap<std::string, MessageCommand, std::less<>> mMessages; // in library order per name
};
