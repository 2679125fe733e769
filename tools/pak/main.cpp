// ilvane-pak OUTPUT.pak FOLDER [--lists LIST...]: packs every file below FOLDER into a pack archive, each with its
// file's time. With --lists, packs only the files that the content build's list files name, each with one fixed
// time, so that the same content always gives the same bytes.
#include "platform/files/FileSystem.h"
#include "tools/content/ContentList.h"
#include "tools/pak/PakWriter.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc < 3 || (argc > 3 && std::strcmp(argv[3], "--lists") != 0)) {
        std::fprintf(stderr, "usage: %s OUTPUT.pak FOLDER [--lists LIST...]\n", argv[0]);
        return 2;
    }
    std::vector<uint8_t> archive;
    std::string error;
    size_t files = 0;
    if (argc > 3) {
        const std::vector<std::filesystem::path> lists(argv + 4, argv + argc);
        if (!ContentList::BuildPak(argv[2], lists, archive, files, error)) {
            std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
            return 1;
        }
    } else {
        std::vector<PakTool::PakEntry> entries;
        if (!PakTool::CollectFolder(argv[2], entries, error, argv[1]) || !PakTool::BuildPak(entries, archive, error)) {
            std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
            return 1;
        }
        files = entries.size();
    }
    if (!Platform::WriteFileAtomic(argv[1], archive)) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    std::printf("%s: %zu files, %zu bytes\n", argv[1], files, archive.size());
    return 0;
}
