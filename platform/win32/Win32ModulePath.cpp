// The executable's path from GetModuleFileNameW.
#include <windows.h>

#include "platform/ModulePath.h"

bool GetModulePath(WChar* buffer, std::size_t capacity) {
    if (capacity == 0) {
        return false;
    }
    const DWORD size = static_cast<DWORD>(capacity);
    const DWORD length = GetModuleFileNameW(nullptr, buffer, size);
    // A path that filled the whole buffer was cut (older systems do not even terminate it).
    if (length == 0 || length >= size) {
        buffer[0] = 0;
        return false;
    }
    return true;
}
