#pragma once

namespace Pyxo {

/// Operating-system tests of a framework written for Windows, answered as a current system answers them: not the
/// old Windows 9x line, and at least the version that introduced the per-machine application-data folder.
constexpr bool IsWin9x()
{
    return false;
}

constexpr bool IsVistaOrLater()
{
    return true;
}

} // namespace Pyxo
