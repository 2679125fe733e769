#include "game/ProductMasks.h"

#include "game/TMClient.h"

#include <algorithm>

bool MasksCompatible(const std::string& a, const std::string& b)
{
    if (a.empty() || a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != '0' && b[i] != '0')
            return false;
    }
    return true;
}

std::string MergeMasks(const std::string& a, const std::string& b)
{
    if (a.empty())
        return b;
    std::string merged = a;
    for (size_t i = 0; i < merged.size() && i < b.size(); ++i) {
        if (b[i] != '0')
            merged[i] = b[i];
    }
    return merged;
}

bool AnyClientWants(const std::string& mask)
{
    return std::any_of(gClients.begin(), gClients.end(),
                       [&mask](const TMClient* client) { return client->WantsProduct(mask, "0"); });
}
