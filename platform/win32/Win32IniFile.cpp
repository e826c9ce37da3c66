// INI reading on Windows: the platform's own private-profile functions, called as they are.
#include <windows.h>

#include "platform/IniFile.h"

unsigned long IniReadSection(const WChar* section, WChar* buffer, unsigned long capacity,
                             const WChar* file) {
    return GetPrivateProfileSectionW(section, buffer, static_cast<DWORD>(capacity), file);
}

unsigned long IniReadString(const WChar* section, const WChar* key, const WChar* defaultValue,
                            WChar* buffer, unsigned long capacity, const WChar* file) {
    return GetPrivateProfileStringW(section, key, defaultValue, buffer,
                                    static_cast<DWORD>(capacity), file);
}
