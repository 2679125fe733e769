// ilvane-flatpng OUTPUT.png WIDTH HEIGHT AARRGGBB: writes a picture of one colour, for the placeholder art of the
// minimal content.
#include "graphics/ImageLib.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s OUTPUT.png WIDTH HEIGHT AARRGGBB\n", argv[0]);
        return 2;
    }
    const int width = std::atoi(argv[2]);
    const int height = std::atoi(argv[3]);
    if (width <= 0 || height <= 0 || width > 4096 || height > 4096) {
        std::fprintf(stderr, "%s: the size must be 1 to 4096 pixels each way\n", argv[0]);
        return 2;
    }
    const auto color = static_cast<uint32_t>(std::stoul(argv[4], nullptr, 16));
    ImageLib::Image image(width, height);
    for (int i = 0; i < width * height; ++i)
        image.GetBits()[i] = color;
    if (!ImageLib::WritePNGImage(argv[1], image)) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
