#include "shell/PyxoAppBase.h"

namespace Pyxo {

void PyxoAppBase::BeginSystemDialog() {} // not built yet
void PyxoAppBase::EndSystemDialog() {}   // not built yet
int PyxoAppBase::MsgBoxW(const std::wstring&, const std::wstring&, uint32_t)
{
    return 0; // not built yet
}
int PyxoAppBase::MsgBox(const std::string&, const std::string&, uint32_t)
{
    return 0; // not built yet
}
void PyxoAppBase::PopupW(const std::wstring&) {}         // not built yet
void PyxoAppBase::Popup(const std::string&) {}           // not built yet
void PyxoAppBase::AppendErrorLog(const std::string&) {}  // not built yet
void PyxoAppBase::OnUrlOpenFailed(const std::string&) {} // not built yet
void PyxoAppBase::OnUrlOpened(const std::string&) {}     // not built yet
bool PyxoAppBase::OpenURL(const std::string&, bool)
{
    return false; // not built yet
}
std::string PyxoAppBase::GetProductVersion(const std::string&)
{
    return {}; // not built yet
}
std::string PyxoAppBase::GetAppInfoText()
{
    return {}; // not built yet
}
void PyxoAppBase::ParseCommandLine() {} // not built yet
bool PyxoAppBase::DebugKeyDown(int)
{
    return false; // not built yet
}
std::string PyxoAppBase::GetCrashExtraText()
{
    return {}; // not built yet
}
void PyxoAppBase::SetString(const std::string&, const std::wstring&) {} // not built yet
std::wstring PyxoAppBase::GetString(const std::string&, const std::wstring& defaultText) const
{
    return defaultText; // not built yet
}
void PyxoAppBase::CopyToClipboard(const std::string&) {} // not built yet
std::string PyxoAppBase::GetClipboardText()
{
    return {}; // not built yet
}
void PyxoAppBase::LoadResourceManifest() {}  // not built yet
void PyxoAppBase::ShowResourceError(bool) {} // not built yet

} // namespace Pyxo
