#include "graphics/Color.h"

#include <ios>
#include <ostream>

namespace Pyxo {

void PrintTo(const Color& color, std::ostream* os)
{
    *os << "Color(" << color.mRed << ", " << color.mGreen << ", " << color.mBlue << ", " << color.mAlpha << ")";
}

} // namespace Pyxo
