// Reading the system's settings from the registry on Windows.
#include <windows.h>

#include <memory>
#include <type_traits>

#include "platform/Registry.h"

namespace {
struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;
} // namespace

bool ReadMachineDword(const WChar* key, const WChar* value, std::uint32_t& data) {
    // A 32-bit program would otherwise be shown the WOW64 copy of the software keys, not the
    // settings of the system it runs on.
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &opened) !=
        ERROR_SUCCESS) {
        return false;
    }
    const UniqueKey owner(opened);
    DWORD type = REG_NONE;
    DWORD read = 0;
    DWORD size = sizeof(read);
    if (RegQueryValueExW(opened, value, nullptr, &type, reinterpret_cast<BYTE*>(&read), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(read)) {
        return false;
    }
    data = read;
    return true;
}
