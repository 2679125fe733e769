// ilvane-pak OUTPUT.pak FOLDER: packs every file below FOLDER into a pack archive, for the content build.
#include "platform/files/FileSystem.h"
#include "tools/pak/PakWriter.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT.pak FOLDER\n", argv[0]);
        return 2;
    }
    std::vector<PakTool::PakEntry> entries;
    std::vector<uint8_t> archive;
    std::string error;
    if (!PakTool::CollectFolder(argv[2], entries, error, argv[1]) || !PakTool::BuildPak(entries, archive, error)) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
        return 1;
    }
    if (!Platform::WriteFileAtomic(argv[1], archive)) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    std::printf("%s: %zu files, %zu bytes\n", argv[1], entries.size(), archive.size());
    return 0;
}
