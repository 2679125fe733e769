#include "graphics/FontLayer.h"

namespace Pyxo {

int CharData::GetKerningOffset(wchar_t next) const
{
    const auto it = mKerningOffsets.find(next);
    return it == mKerningOffsets.end() ? 0 : it->second;
}

const CharData& FontLayer::FindCharData(wchar_t character) const
{
    static const CharData kNone;
    const auto it = mCharDataMap.find(character);
    return it == mCharDataMap.end() ? kNone : it->second;
}

} // namespace Pyxo
