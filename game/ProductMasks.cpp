#include "game/ProductMasks.h"

#include "engine/NotBuiltYet.h"

bool MasksCompatible(const std::string& /*a*/, const std::string& /*b*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

std::string MergeMasks(const std::string& /*a*/, const std::string& /*b*/)
{
    ENGINE_NOT_BUILT_YET();
    return {};
}

bool AnyClientWants(const std::string& /*mask*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}
