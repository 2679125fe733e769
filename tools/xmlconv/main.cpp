// ilvane-xmlconv INPUT.xml OUTPUT.xml: converts a UTF-8 XML source of the content into the UTF-16LE file with a
// byte-order mark that the game reads; refuses, naming the source line, input that is not valid UTF-8 or XML.
#include "tools/xmlconv/XmlConvert.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s INPUT.xml OUTPUT.xml\n", argv[0]);
        return 2;
    }
    std::string error;
    if (!XmlConvert::ConvertFile(argv[1], argv[2], error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    return 0;
}
