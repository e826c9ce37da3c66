// Starting a system program on Windows: CreateProcessW on its full path in the system
// directory, and a bounded wait for the process.
#include <windows.h>

#include <string>

#include "platform/Process.h"
#include "platform/win32/SystemLibrary.h"

namespace {
const wchar_t kQuote[] = L"\"";
const wchar_t kBlank[] = L" ";
constexpr wchar_t kPathSeparator = L'\\';
} // namespace

bool RunSystemProgram(const WChar* program, const WChar* parameters, unsigned long waitMs,
                      unsigned long& error) {
    error = ERROR_SUCCESS;
    std::wstring path;
    if (!SystemDirectoryPath(program, path)) {
        error = GetLastError();
        return false;
    }
    // Its own folder, the system directory, is its current folder too.
    const std::wstring directory = path.substr(0, path.rfind(kPathSeparator));
    // A program reads its own name from the head of its command line, quoted in case of blanks.
    std::wstring commandLine = kQuote + path + kQuote + kBlank + parameters;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.c_str(), &startup, &process)) {
        error = GetLastError();
        return false;
    }
    // A program that runs past the wait goes on running; only our handles to it are closed.
    WaitForSingleObject(process.hProcess, waitMs);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}
