#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

/// The list files of the content build: each generator run names the files it wrote (relative to the data folder,
/// '/' separators, one a line), and the pack step packs exactly the files of all lists, so that a file left behind
/// by a renamed recipe never reaches the archive.
namespace ContentList {

/// Writes the list (replacing the file as a whole). False, with the reason, when it cannot be written.
[[nodiscard]] bool Write(const std::filesystem::path& listFile, const std::vector<std::string>& files,
                         std::string& error);

/// Appends the names of a list file to `files`. False, with the reason, when it cannot be read.
[[nodiscard]] bool Read(const std::filesystem::path& listFile, std::vector<std::string>& files, std::string& error);

/// One time for every entry of a content archive (2020-01-01 00:00 UTC as a FILETIME), so that the archive's
/// bytes depend on the content alone.
inline constexpr uint64_t kContentFileTime = 132223104000000000ull;

/// The archive of the files named in the lists, read from `folder`: sorted by name, each stamped with
/// kContentFileTime. False, with the reason, when a list or a file cannot be read or two lists name one file.
[[nodiscard]] bool BuildPak(const std::filesystem::path& folder, const std::vector<std::filesystem::path>& lists,
                            std::vector<uint8_t>& archive, size_t& fileCount, std::string& error);

/// A generator of the content build: draws or renders the files of a recipe below a folder and names them in
/// `written`; false with the reason.
using Generator = bool (*)(const std::filesystem::path& recipe, const std::filesystem::path& outFolder,
                           std::vector<std::string>& written, std::string& error);

/// The command line shared by the generators, "RECIPE.xml DATA_FOLDER LIST_FILE": runs the generator and writes
/// its list. The exit code: 0, 1 on a fault (reported on stderr), 2 on a wrong command line.
int RunGenerator(int argc, char** argv, Generator generate);

} // namespace ContentList
