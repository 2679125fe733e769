#pragma once

#include "graphics/PakInterface.h"

#include <cstddef>
#include <cstdint>

/// The stdio-style functions through which every data file is read. Each call forwards to the process's
/// registered pack interface when there is one; without one it uses the C library on the disk (names resolved
/// with Windows semantics: '\' separators, case ignored), in handles of the same shape {null, 0, FILE*}.
/// Thread-safe as far as the interface is (see graphics/PakInterface.h).

/// The registered interface, or null. Read on every call, so an interface registered later is found.
PakInterfaceBase* GetPakInterface();

/// Registers an interface when none is registered; true when it is now the registered one. PakInterface's
/// constructor calls this.
bool RegisterPakInterface(PakInterfaceBase* pak);
/// Clears the registration when it holds this interface. PakInterface's destructor calls this.
void UnregisterPakInterface(PakInterfaceBase* pak);

PakFileHandle* PakFOpen(const char* name, const char* mode);
int PakFClose(PakFileHandle* handle);
int PakFSeek(PakFileHandle* handle, long offset, int origin);
long PakFTell(PakFileHandle* handle);
size_t PakFRead(void* buffer, size_t elementSize, size_t count, PakFileHandle* handle);
int PakFGetC(PakFileHandle* handle);
/// Next 16-bit unit, little-endian; 0xFFFF at the end.
uint16_t PakFGetWC(PakFileHandle* handle);
int PakUnGetC(int character, PakFileHandle* handle);
int PakFEof(PakFileHandle* handle);
