// ilvane-sound RECIPE.xml DATA_FOLDER LIST_FILE: synthesises the sounds of a sound recipe (WAV, and Ogg Vorbis
// for .ogg files) into the data folder and lists the files written in LIST_FILE for the pack step.
#include "tools/content/ContentList.h"
#include "tools/sound/SoundSynth.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s RECIPE.xml DATA_FOLDER LIST_FILE\n", argv[0]);
        return 2;
    }
    std::vector<std::string> written;
    std::string error;
    if (!SoundTool::GenerateSounds(argv[1], argv[2], written, error) || !ContentList::Write(argv[3], written, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    return 0;
}
