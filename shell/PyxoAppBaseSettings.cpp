#include "shell/PyxoAppBase.h"

namespace Pyxo {

void PyxoAppBase::WriteToRegistry() {}  // not built yet
void PyxoAppBase::ReadFromRegistry() {} // not built yet
bool PyxoAppBase::RegistryWrite(const std::string&, uint32_t, const uint8_t*, uint32_t)
{
    return false; // not built yet
}
bool PyxoAppBase::RegistryWriteString(const std::string&, const std::string&)
{
    return false; // not built yet
}
bool PyxoAppBase::RegistryWriteInteger(const std::string&, int)
{
    return false; // not built yet
}
bool PyxoAppBase::RegistryWriteBoolean(const std::string&, bool)
{
    return false; // not built yet
}
void PyxoAppBase::RegistryEraseValue(const std::wstring&) {} // not built yet
bool PyxoAppBase::RegistryReadKey(const std::string&, uint32_t*, uint8_t*, uint32_t*, Platform::RegistryKeyHandle*)
{
    return false; // not built yet
}
bool PyxoAppBase::RegistryRead(const std::string&, uint32_t*, uint8_t*, uint32_t*)
{
    return false; // not built yet
}
bool PyxoAppBase::RegistryReadInteger(const std::string&, int*)
{
    return false; // not built yet
}
bool PyxoAppBase::RegistryReadBoolean(const std::string&, bool*)
{
    return false; // not built yet
}

} // namespace Pyxo
