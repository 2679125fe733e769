#pragma once

#include <cstdint>

namespace Pyxo {

/// Receiver of a framework dialog's button reports: the dialog's id and the button's id (1000 yes or OK, 1001 no
/// or cancel). Ids are pointer-sized. Main thread only.
class DialogListener {
public:
    virtual ~DialogListener() = default;

    virtual void DialogButtonPress(intptr_t dialogId, intptr_t buttonId) = 0;
    virtual void DialogButtonRelease(intptr_t dialogId, intptr_t buttonId) = 0;
};

} // namespace Pyxo
