// Starting a system program on Windows: ShellExecuteExW on its full path in the system
// directory, and a bounded wait for the process.
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "platform/Process.h"
#include "platform/win32/SystemLibrary.h"

namespace {
const wchar_t kOpenVerb[] = L"open";
}

bool RunSystemProgram(const WChar* program, const WChar* parameters, unsigned long waitMs,
                      unsigned long& error) {
    error = ERROR_SUCCESS;
    std::wstring path;
    if (!SystemDirectoryPath(program, path)) {
        error = GetLastError();
        return false;
    }
    auto* shellExecute = g_shellLibrary.Get<decltype(ShellExecuteExW)>("ShellExecuteExW");
    if (shellExecute == nullptr) {
        error = GetLastError();
        return false;
    }
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.hwnd = nullptr;
    info.lpVerb = kOpenVerb;
    info.lpFile = path.c_str();
    info.lpParameters = parameters;
    info.lpDirectory = nullptr;
    info.nShow = SW_SHOWNORMAL;
    if (!shellExecute(&info)) {
        error = GetLastError();
        return false;
    }
    // A program that runs past the wait goes on running; only our handle to it is closed.
    if (info.hProcess != nullptr) {
        WaitForSingleObject(info.hProcess, waitMs);
        CloseHandle(info.hProcess);
    }
    return true;
}
