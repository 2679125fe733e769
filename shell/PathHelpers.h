#pragma once

#include <string>

namespace Pyxo {

/// Path helpers on narrow paths as the framework holds them: '\' and '/' both separate folders. Folder creation
/// and deletion go through the platform file layer, which maps '\' to '/' and ignores the case of existing names.

/// The text after the last separator (all of it without one); with cutExtension, only the part before the last
/// '.' of that text, when it has one.
std::string GetFileName(const std::string& path, bool cutExtension = false);
/// The text before the last separator, with that separator when keepSeparator is set; "" without one.
std::string GetFileDir(const std::string& path, bool keepSeparator = false);
/// A copy without one trailing '\' or '/'.
std::string RemoveTrailingSlash(const std::string& path);
/// A copy ending in '\' (backslash set) or '/', unless it already ends in either; "" stays "".
std::string AddTrailingSlash(const std::string& path, bool backslash = false);

/// Creates every folder along the path; folders that exist already are fine, and failures are ignored.
void MkDir(const std::string& path);

/// Deletes a folder with everything in it. A symbolic link inside is removed itself, never followed, and a
/// path that is itself a link is not a folder: nothing outside the folder is ever touched. False when the folder
/// cannot be listed (nothing is then removed), or when anything in it could not be removed (the rest is).
bool Deltree(const std::string& path);

/// Stores the application-data folder, with '\' appended unless it ends in a separator ("" stays ""). The
/// application sets it once at start-up from Platform::AppDataFolder. Thread-safe.
void SetAppDataFolder(const std::string& path);
/// The stored folder; "" until set, which means the working directory.
std::string GetAppDataFolder();

} // namespace Pyxo
