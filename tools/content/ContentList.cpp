#include "tools/content/ContentList.h"

#include "platform/files/FileSystem.h"
#include "tools/pak/PakWriter.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>

namespace ContentList {

bool Write(const std::filesystem::path& listFile, const std::vector<std::string>& files, std::string& error)
{
    std::string text;
    for (const std::string& file : files)
        text += file + "\n";
    if (!Platform::WriteFileAtomic(listFile.string(), std::vector<uint8_t>(text.begin(), text.end()))) {
        error = listFile.string() + ": cannot be written";
        return false;
    }
    return true;
}

bool Read(const std::filesystem::path& listFile, std::vector<std::string>& files, std::string& error)
{
    std::ifstream stream(listFile);
    if (!stream) {
        error = listFile.string() + ": cannot be read";
        return false;
    }
    std::string line;
    while (std::getline(stream, line)) {
        if (!line.empty())
            files.push_back(line);
    }
    return true;
}

bool BuildPak(const std::filesystem::path& folder, const std::vector<std::filesystem::path>& lists,
              std::vector<uint8_t>& archive, size_t& fileCount, std::string& error)
{
    std::vector<std::string> files;
    for (const auto& list : lists) {
        if (!Read(list, files, error))
            return false;
    }
    std::sort(files.begin(), files.end());
    std::vector<PakTool::PakEntry> entries;
    std::string previousKey;
    for (const std::string& file : files) {
        // The game finds names without regard to case: two spellings of one name would shadow each other.
        std::string key = file;
        std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        if (key == previousKey) {
            error = file + ": named by two lists";
            return false;
        }
        previousKey = key;
        PakTool::PakEntry entry;
        entry.name = file;
        std::replace(entry.name.begin(), entry.name.end(), '/', '\\');
        if (!Platform::ReadWholeFile((folder / file).string(), entry.data)) {
            error = "cannot read " + (folder / file).string();
            return false;
        }
        entry.fileTime = kContentFileTime;
        entries.push_back(std::move(entry));
    }
    fileCount = entries.size();
    return PakTool::BuildPak(entries, archive, error);
}

int RunGenerator(int argc, char** argv, Generator generate)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s RECIPE.xml DATA_FOLDER LIST_FILE\n", argv[0]);
        return 2;
    }
    std::vector<std::string> written;
    std::string error;
    if (!generate(argv[1], argv[2], written, error) || !Write(argv[3], written, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    return 0;
}

} // namespace ContentList
