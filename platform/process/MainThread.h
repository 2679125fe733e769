#pragma once

namespace Platform {

/// True on the thread that started the process (the thread of static initialisation): the one thread that may
/// call SDL, run the application's loop and touch the widget tree.
[[nodiscard]] bool IsMainThread();

} // namespace Platform
