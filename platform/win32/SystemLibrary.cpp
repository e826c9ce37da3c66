// Loading system DLLs from the system directory only.
#include "platform/win32/SystemLibrary.h"

namespace {
const char kSetDefaultDllDirectories[] = "SetDefaultDllDirectories";
const wchar_t kPathSeparator[] = L"\\";
const wchar_t kNoDirectory[] = L"";

using SetDefaultDllDirectoriesFunction = BOOL WINAPI(DWORD);
} // namespace

void RestrictDllSearch() {
    // Windows 8, and Windows 7 with its DLL-search update, can leave everything but the
    // system directory out of the search. Vista, and 7 without the update, cannot: there only
    // the current directory leaves it, and the program's own folder stays in it for the DLLs
    // that system components load by name later.
    auto* setDefault = KernelFunction<SetDefaultDllDirectoriesFunction>(kSetDefaultDllDirectories);
    if (setDefault != nullptr) {
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    SetDllDirectoryW(kNoDirectory);
}

bool SystemDirectoryPath(const wchar_t* file, std::wstring& path) {
    wchar_t directory[MAX_PATH];
    const UINT length = GetSystemDirectoryW(directory, MAX_PATH);
    if (length == 0) {
        return false;
    }
    // A folder that does not fit leaves no error of its own: say what went wrong, so that the
    // caller does not report whatever error an earlier call left.
    if (length >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    path.assign(directory, length).append(kPathSeparator).append(file);
    return true;
}

FARPROC CSystemLibrary::Find(const char* name) {
    HMODULE module = m_module.load();
    if (module == nullptr) {
        std::wstring path;
        if (!SystemDirectoryPath(m_fileName, path)) {
            return nullptr;
        }
        module = LoadLibraryW(path.c_str());
        if (module == nullptr) {
            return nullptr;
        }
        // Two threads may both have loaded it: the module stays loaded either way.
        m_module.store(module);
    }
    return GetProcAddress(module, name);
}

CSystemLibrary g_spoolerLibrary(L"winspool.drv");
CSystemLibrary g_deviceInstallLibrary(L"newdev.dll");
CSystemLibrary g_configManagerLibrary(L"cfgmgr32.dll");
CSystemLibrary g_setupLibrary(L"setupapi.dll");
