// Reading the system's settings from the registry.
#pragma once

#include <cstdint>

#include "platform/Text.h"

// Reads the REG_DWORD value `value` of the key `key` under HKEY_LOCAL_MACHINE, from the 64-bit
// view where Windows has one. False when the key or the value is missing, may not be read, or
// is of another type; `data` is then unchanged.
bool ReadMachineDword(const WChar* key, const WChar* value, std::uint32_t& data);
