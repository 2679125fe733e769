// ilvane-art RECIPE.xml DATA_FOLDER LIST_FILE: draws the pictures and animation files of an art recipe into the
// data folder and lists the files written (relative to it, one a line) in LIST_FILE for the pack step.
#include "tools/art/ArtGenerator.h"
#include "tools/content/ContentList.h"

// Fontconfig loses a few blocks while it parses its own configuration files; the leak checker of sanitizer builds
// looks past that library only. Weak, so that the framework's own list wins where it is linked in.
extern "C" const char* __lsan_default_suppressions();
extern "C" __attribute__((weak)) const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

int main(int argc, char** argv)
{
    return ContentList::RunGenerator(argc, argv, &ArtTool::GenerateArt);
}
