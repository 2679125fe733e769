#pragma once

#include <cstdint>
#include <string>

namespace Pyxo {

/// The name of a display or sound stand-in result code (platform/directx/DXResult.h), such as
/// "DDERR_SURFACELOST"; a code without a name gives its lower-case hexadecimal digits ("8000ffff", "0").
/// Where several names share one generic code, one fixed name stands for all of them.
[[nodiscard]] std::string GetDirectXErrorString(int32_t code);

} // namespace Pyxo
