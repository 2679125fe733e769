// ilvane-xmlconv -o OUTPUT.xml [--origins FILE] [--root NAME] SOURCE.xml [FRAGMENT.xml...]
// Assembles a UTF-8 XML source of the content with its fragments (repeats expanded) and writes the UTF-16LE file
// with a byte-order mark that the game reads. With --root there is no main source: every file is a fragment
// merged under a new root element of that name. Input that is not valid UTF-8 or XML is refused, naming the
// source file and line.
#include "tools/xmlconv/XmlAssemble.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::filesystem::path output;
    std::filesystem::path origins;
    std::string root;
    std::vector<std::filesystem::path> sources;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "-o") == 0 && hasValue)
            output = argv[++i];
        else if (std::strcmp(argv[i], "--origins") == 0 && hasValue)
            origins = argv[++i];
        else if (std::strcmp(argv[i], "--root") == 0 && hasValue)
            root = argv[++i];
        else
            sources.emplace_back(argv[i]);
    }
    if (output.empty() || (root.empty() && sources.empty())) {
        std::fprintf(stderr, "usage: %s -o OUTPUT.xml [--origins FILE] [--root NAME] SOURCE.xml [FRAGMENT.xml...]\n",
                     argv[0]);
        return 2;
    }
    std::filesystem::path mainFile;
    if (root.empty()) {
        mainFile = sources.front();
        sources.erase(sources.begin());
    }
    XmlConvert::Assembled document;
    std::string error;
    if (!XmlConvert::Assemble(mainFile, root, sources, document, error) ||
        !XmlConvert::WriteAssembled(document, output, origins, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    return 0;
}
