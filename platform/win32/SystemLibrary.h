// System DLLs loaded from the system directory by full path the first time they are needed,
// never through the search path, where a DLL planted beside the program could be found first.
// That is the only safe way to have the ones that are no KnownDLLs; SetupAPI is loaded the same
// way so that start-up does not pay for what only Finish uses.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

// Narrows the process's DLL search to the system directory where Windows offers that, and
// takes the current directory out of it everywhere. Called first thing at start-up.
void RestrictDllSearch();

// The full path of `file` in the system directory; false when the system will not tell it.
bool SystemDirectoryPath(const wchar_t* file, std::wstring& path);

// The function that `address`, from GetProcAddress, points to, as its own type.
template <class Function> Function* FunctionAt(FARPROC address) {
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(address));
}

// A function of a DLL that every process has loaded from the start (kernel32, ntdll), so it is
// looked up without loading anything: null where that DLL lacks it.
template <class Function> Function* LoadedSystemFunction(const wchar_t* module, const char* name) {
    return FunctionAt<Function>(GetProcAddress(GetModuleHandleW(module), name));
}

// A kernel32 function that older versions of Windows lack: null where it is missing.
template <class Function> Function* KernelFunction(const char* name) {
    return LoadedSystemFunction<Function>(L"kernel32.dll", name);
}

// An ntdll function, for what only ntdll tells truly: null where it is missing.
template <class Function> Function* NtdllFunction(const char* name) {
    return LoadedSystemFunction<Function>(L"ntdll.dll", name);
}

// One system DLL, loaded on first use and kept for the life of the process.
class CSystemLibrary {
public:
    explicit constexpr CSystemLibrary(const wchar_t* fileName) : m_fileName(fileName) {}

    // The function, or null when the DLL or the function cannot be had (the last error then
    // tells why).
    template <class Function> Function* Get(const char* name) {
        return FunctionAt<Function>(Find(name));
    }

private:
    FARPROC Find(const char* name);

    const wchar_t* const m_fileName;
    std::atomic<HMODULE> m_module{nullptr};
};

// The libraries the installer uses. Constant-initialized, so any thread may use them at any
// time, even before static construction is over.
extern CSystemLibrary g_spoolerLibrary;       // winspool.drv
extern CSystemLibrary g_deviceInstallLibrary; // newdev.dll
extern CSystemLibrary g_configManagerLibrary; // cfgmgr32.dll
extern CSystemLibrary g_setupLibrary;         // setupapi.dll
