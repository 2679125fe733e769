// ilvane-sound RECIPE.xml DATA_FOLDER LIST_FILE: synthesises the sounds of a sound recipe (WAV, and Ogg Vorbis
// for .ogg files) into the data folder and lists the files written in LIST_FILE for the pack step.
#include "tools/content/ContentList.h"
#include "tools/sound/SoundSynth.h"

int main(int argc, char** argv)
{
    return ContentList::RunGenerator(argc, argv, &SoundTool::GenerateSounds);
}
