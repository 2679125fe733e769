#pragma once

class TMEffect;

/// The effect library cfg\effect.xml: read once by the engine's start-up and kept until the engine goes. Effect
/// instances are made from its named entries; function names resolve through the effect function registry
/// (engine/EffectFunctionRegistry.h). Main thread, except CreateEffect, which the loading threads call as well.

/// Opens cfg\effect.xml and keeps its "effects" element; false when the file is missing or does not parse.
bool LoadEffectLibrary();
/// Releases the library document.
void FreeEffectLibrary();
/// A new effect instance of the entry of that name, owned by the caller; null when the library has none.
[[nodiscard]] TMEffect* CreateEffect(const char* name);
