#pragma once

#include <cstdint>

namespace Pyxo {

/// Receiver of a button's reports, each under the button's id. Ids are pointer-sized, so that a caller may pass
/// a pointer as the id. Every operation but ButtonPressClicks does nothing by default; ButtonPressClicks forwards
/// to ButtonPress. Main thread only.
class ButtonListener {
public:
    virtual ~ButtonListener() = default;

    /// clickCount is the decoded count of the press (1 single, 2 double), whichever the button.
    virtual void ButtonPressClicks(intptr_t id, int /*clickCount*/) { ButtonPress(id); }
    virtual void ButtonPress(intptr_t /*id*/) {}
    virtual void ButtonRelease(intptr_t /*id*/) {}
    virtual void ButtonHeldTick(intptr_t /*id*/) {} // once per fixed update while held down over the button
    virtual void ButtonMouseEnter(intptr_t /*id*/) {}
    virtual void ButtonMouseLeave(intptr_t /*id*/) {}
    virtual void ButtonMouseMove(intptr_t /*id*/, int /*x*/, int /*y*/) {}
};

} // namespace Pyxo
