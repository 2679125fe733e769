// ilvane-fontsheet RECIPE.xml DATA_FOLDER LIST_FILE: renders the image fonts of a font recipe (glyph strips and
// descriptors) into the data folder and lists the files written in LIST_FILE for the pack step.
#include "tools/content/ContentList.h"
#include "tools/fontsheet/FontSheet.h"

// Fontconfig loses a few blocks while it parses its own configuration files; the leak checker of sanitizer builds
// looks past that library only. Weak, so that the framework's own list wins where it is linked in.
extern "C" const char* __lsan_default_suppressions();
extern "C" __attribute__((weak)) const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

int main(int argc, char** argv)
{
    return ContentList::RunGenerator(argc, argv, &FontSheetTool::GenerateFonts);
}
