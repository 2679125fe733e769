#include "platform/log/Log.h"
#include "platform/registry/Registry.h"
#include "shell/PyxoAppBase.h"
#include "shell/StringHelpers.h"

#include <cstring>
#include <utility>

namespace Pyxo {

namespace {

/// The key path of a value name and the name itself: whatever precedes the name's last backslash is a sub-key
/// below "SOFTWARE\" + the application's key.
std::pair<std::string, std::string> SplitValueName(const std::string& registryKey, const std::string& valueName)
{
    std::string path = "SOFTWARE\\" + registryKey;
    const size_t slash = valueName.rfind('\\');
    if (slash == std::string::npos)
        return {path, valueName};
    path += "\\" + valueName.substr(0, slash);
    return {path, valueName.substr(slash + 1)};
}

/// Percent of a volume, truncated toward zero; a value beyond the 32-bit range is clamped rather than left to
/// an undefined conversion.
int VolumePercent(double volume)
{
    const double percent = volume * 100.0;
    if (!(percent > -2147483648.0))
        return percent != percent ? 0 : INT32_MIN;
    if (percent >= 2147483647.0)
        return INT32_MAX;
    return static_cast<int>(percent);
}

} // namespace

bool PyxoAppBase::RegistryWrite(const std::string& valueName, uint32_t type, const uint8_t* data, uint32_t length)
{
    if (mRegKey.empty())
        return false;
    const auto [path, name] = SplitValueName(mRegKey, valueName);
    Platform::HKEY key = nullptr;
    if (Platform::RegOpenKeyExA(Platform::HKEY_CURRENT_USER, path.c_str(), 0, Platform::KEY_WRITE, &key) !=
        Platform::ERROR_SUCCESS) {
        if (Platform::RegCreateKeyExA(Platform::HKEY_CURRENT_USER, path.c_str(), 0, "Key",
                                      Platform::REG_OPTION_NON_VOLATILE, Platform::KEY_ALL_ACCESS, nullptr, &key,
                                      nullptr) != Platform::ERROR_SUCCESS)
            return false;
    }
    // A value that could not be stored is reported as such, not as written.
    const Platform::LONG result = Platform::RegSetValueExA(key, name.c_str(), 0, type, data, length);
    Platform::RegCloseKey(key);
    return result == Platform::ERROR_SUCCESS;
}

bool PyxoAppBase::RegistryWriteString(const std::string& valueName, const std::string& text)
{
    return RegistryWrite(valueName, Platform::REG_SZ, reinterpret_cast<const uint8_t*>(text.c_str()),
                         static_cast<uint32_t>(text.size()));
}

bool PyxoAppBase::RegistryWriteInteger(const std::string& valueName, int value)
{
    uint8_t bytes[4];
    const uint32_t word = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(word >> (8 * i));
    return RegistryWrite(valueName, Platform::REG_DWORD, bytes, sizeof bytes);
}

bool PyxoAppBase::RegistryWriteBoolean(const std::string& valueName, bool value)
{
    return RegistryWriteInteger(valueName, value ? 1 : 0);
}

void PyxoAppBase::RegistryEraseValue(const std::wstring& valueName)
{
    if (mRegKey.empty())
        return;
    const auto [path, name] = SplitValueName(mRegKey, WStringToString(valueName));
    Platform::HKEY key = nullptr;
    if (Platform::RegOpenKeyExA(Platform::HKEY_CURRENT_USER, path.c_str(), 0, Platform::KEY_WRITE, &key) !=
        Platform::ERROR_SUCCESS)
        return;
    Platform::RegDeleteValueA(key, name.c_str());
    Platform::RegCloseKey(key);
}

bool PyxoAppBase::RegistryReadKey(const std::string& valueName, uint32_t* type, uint8_t* value, uint32_t* length,
                                  Platform::RegistryKeyHandle* rootKey)
{
    if (mRegKey.empty())
        return false;
    const auto [path, name] = SplitValueName(mRegKey, valueName);
    Platform::HKEY key = nullptr;
    if (Platform::RegOpenKeyExA(rootKey, path.c_str(), 0, Platform::KEY_READ, &key) != Platform::ERROR_SUCCESS)
        return false;
    const Platform::LONG result = Platform::RegQueryValueExA(key, name.c_str(), nullptr, type, value, length);
    Platform::RegCloseKey(key);
    return result == Platform::ERROR_SUCCESS;
}

bool PyxoAppBase::RegistryRead(const std::string& valueName, uint32_t* type, uint8_t* value, uint32_t* length)
{
    return RegistryReadKey(valueName, type, value, length, Platform::HKEY_CURRENT_USER);
}

bool PyxoAppBase::RegistryReadInteger(const std::string& valueName, int* value)
{
    uint32_t type = 0;
    uint8_t bytes[4] = {};
    uint32_t length = sizeof bytes;
    if (!RegistryRead(valueName, &type, bytes, &length) || type != Platform::REG_DWORD || length != sizeof bytes)
        return false;
    const uint32_t word =
        uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
    *value = static_cast<int>(word);
    return true;
}

bool PyxoAppBase::RegistryReadBoolean(const std::string& valueName, bool* value)
{
    int word = 0;
    if (!RegistryReadInteger(valueName, &word))
        return false;
    *value = word != 0;
    return true;
}

void PyxoAppBase::ReadFromRegistry()
{
    mSettingsRead = true;
    mRegKey = WStringToString(GetString("RegistryKey", StringToWString(mRegKey)));
    if (mRegKey.empty())
        return;

    int value = 0;
    if (RegistryReadInteger("MusicVolume", &value))
        mMusicVolume = value / 100.0;
    if (RegistryReadInteger("SfxVolume", &value))
        mSfxVolume = value / 100.0;
    if (RegistryReadInteger("Muted", &value))
        mMuteCount = value;
    if (RegistryReadInteger("ScreenMode", &value))
        mWindowedRequested = value == 0;
    if (RegistryReadInteger("PreferredX", &value))
        mPreferredX = value;
    if (RegistryReadInteger("PreferredY", &value))
        mPreferredY = value;
    if (RegistryReadInteger("CustomCursors", &value))
        EnableCustomCursors(value != 0);
    RegistryReadBoolean("WaitForVSync", &mWaitForVSync);
    if (RegistryReadInteger("InProgress", &value))
        mLastRunCompleted = value == 0;

    RegistryWriteInteger("InProgress", 1);
}

void PyxoAppBase::WriteToRegistry()
{
    bool written = RegistryWriteInteger("MusicVolume", VolumePercent(mMusicVolume));
    written &= RegistryWriteInteger("SfxVolume", VolumePercent(mSfxVolume));
    written &= RegistryWriteInteger("Muted", mMuteCount - mAutoMuteCount > 0 ? 1 : 0);
    written &= RegistryWriteInteger("ScreenMode", mWindowedRequested ? 0 : 1);
    written &= RegistryWriteInteger("PreferredX", mPreferredX);
    written &= RegistryWriteInteger("PreferredY", mPreferredY);
    written &= RegistryWriteInteger("CustomCursors", mCustomCursors ? 1 : 0);
    written &= RegistryWriteInteger("InProgress", 0);
    written &= RegistryWriteBoolean("WaitForVSync", mWaitForVSync);
    // The user is not troubled with it; the settings then live for this run only.
    if (!written && !mRegKey.empty())
        PLATFORM_LOG_WARNING("app", "the settings could not be saved under SOFTWARE\\%s", mRegKey.c_str());
}

} // namespace Pyxo
