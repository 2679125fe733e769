#pragma once

#include <string_view>

namespace Platform {

/// Loading a system library by name becomes a lookup in a table of our own stand-ins: a library is present when a
/// stand-in registered it, absent otherwise. Names are found without regard to case, with or without ".dll"
/// ("DDRAW.DLL" finds "ddraw"). The platform's own JPEG-2000 codec ("j2k-codec") is present from the start;
/// other stand-ins register their rows at start-up, before the first lookup. Thread-safe.

/// Any entry point; the caller casts it to the entry's real type, as with the Windows call.
using ProcAddress = void (*)();
/// A row's symbol lookup: the entry named `symbol`, or null.
using StandInSymbolLookup = ProcAddress (*)(std::string_view symbol);

struct StandInLibrary; // a row of the table
using HMODULE = StandInLibrary*;

/// Adds a row, or replaces the lookup of a row of that name. False for an empty name or a null lookup.
bool RegisterStandInLibrary(std::string_view name, StandInSymbolLookup lookup);

/// The row's handle, counted, or null when no stand-in of that name exists (null `name` too).
HMODULE LoadLibrary(std::string_view name);
HMODULE LoadLibraryA(const char* name);

/// Null for an unknown symbol, or a handle that is not loaded (never loaded, or freed as often as loaded).
ProcAddress GetProcAddress(HMODULE module, const char* symbol);

/// One load fewer; false for a handle that is not loaded.
bool FreeLibrary(HMODULE module);

} // namespace Platform
