// Turns the Unix paths that ctest and the tools pass under Wine into Windows paths.
#include "WinePath.h"

#include "Text.h"

#include <windows.h>

#include <vector>

namespace driver {

std::wstring toWindowsPath(const std::wstring& path) {
    std::wstring result = path;
    if (!path.empty() && path[0] == L'/') {
        using WineGetDosFileName = WCHAR*(CDECL*)(const char*);
        HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        const FARPROC proc = kernel ? GetProcAddress(kernel, "wine_get_dos_file_name") : nullptr;
        // Going through void(*)() keeps GCC's function cast warning quiet.
        const auto getDosFileName =
            reinterpret_cast<WineGetDosFileName>(reinterpret_cast<void (*)()>(proc));
        WCHAR* dosPath = getDosFileName ? getDosFileName(toUtf8(path).c_str()) : nullptr;
        if (dosPath) {
            result = dosPath;
            HeapFree(GetProcessHeap(), 0, dosPath);
        } else {
            // Wine's default prefix maps Z: to the Unix root.
            result = L"Z:" + path;
            for (wchar_t& c : result) {
                if (c == L'/') {
                    c = L'\\';
                }
            }
        }
    }
    const DWORD size = GetFullPathNameW(result.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        return result;
    }
    std::vector<wchar_t> full(size);
    if (GetFullPathNameW(result.c_str(), size, full.data(), nullptr) == 0) {
        return result;
    }
    return full.data();
}

} // namespace driver
