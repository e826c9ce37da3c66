// Appending to a text file, and the clocks, on Windows.
#include <windows.h>

#include "platform/AppendFile.h"

CAppendFile::~CAppendFile() {
    Close();
}

bool CAppendFile::Open(const WChar* path) {
    Close();
    m_bCreated = false;
    // Append access alone makes every write land at the end, even when another process
    // appends to the same file between our writes.
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    // OPEN_ALWAYS tells a file that was already there by this last error, even on success.
    m_bCreated = GetLastError() != ERROR_ALREADY_EXISTS;
    m_hFile = file;
    return true;
}

bool CAppendFile::Append(const std::string& bytes) {
    if (m_hFile == nullptr) {
        return false;
    }
    const char* next = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const DWORD wanted = left > MAXDWORD ? MAXDWORD : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!WriteFile(static_cast<HANDLE>(m_hFile), next, wanted, &written, nullptr) ||
            written == 0) {
            return false;
        }
        next += written;
        left -= written;
    }
    return true;
}

void CAppendFile::Close() {
    if (m_hFile != nullptr) {
        CloseHandle(static_cast<HANDLE>(m_hFile));
        m_hFile = nullptr;
    }
}

LocalTime CurrentLocalTime() {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    return LocalTime{now.wYear,   now.wMonth,  now.wDay,         now.wHour,
                     now.wMinute, now.wSecond, now.wMilliseconds};
}

std::uint64_t MonotonicMs() {
    return GetTickCount64();
}
