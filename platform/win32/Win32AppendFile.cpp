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
    // appends to the same file between our writes. The link itself is opened, never what it
    // points to.
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    // OPEN_ALWAYS tells a file that was already there by this last error, even on success.
    m_bCreated = GetLastError() != ERROR_ALREADY_EXISTS;
    m_hFile = file;
    // Elevated, the program must not append to a file that a user laid in its way as a link
    // to another one (a system file): a reparse point of any kind (its attribute, whatever its
    // tag: symbolic link, junction, mount point or another) or a second hard link is refused.
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!GetFileInformationByHandle(file, &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
        information.nNumberOfLinks != 1) {
        Close();
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return true;
}

bool CAppendFile::Append(std::string_view bytes) {
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
