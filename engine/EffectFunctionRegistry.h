#pragma once

#include <cstddef>
#include <string>
#include <string_view>

struct EffectCallRecord;
class TMEffect;

/// The named effect functions that cfg\effect.xml names: the engine looks names up here, the game registers its
/// functions (TMEngine3's constructor, before the effect library is read). A name keeps its call shape: a timer
/// control calls a function with its EffectCallRecord, a message's "call" command with the effect itself. One
/// name may be registered in both shapes; looking a name up in the shape it lacks finds nothing, so no function
/// is ever called through the wrong type. Registering a name again in a shape replaces it. Thread-safe.
using EffectFunction = int (*)(EffectCallRecord* call);
using EffectMessageFunction = int (*)(TMEffect* effect);

void RegisterEffectFunction(std::string_view name, EffectFunction function);
void RegisterEffectFunction(std::string_view name, EffectMessageFunction function);

/// The function of that name and shape, or null.
[[nodiscard]] EffectFunction FindEffectFunction(std::string_view name);
[[nodiscard]] EffectMessageFunction FindEffectMessageFunction(std::string_view name);

/// Number of names registered in either shape.
[[nodiscard]] size_t EffectFunctionNameCount();
