// Reading files and widening 8-bit text on Windows.
#include <windows.h>

#include "platform/CodePage.h"
#include "platform/FileReader.h"

CFileReader::~CFileReader() {
    Close();
}

bool CFileReader::Open(const WChar* path) {
    Close();
    // Shared as a text-mode stream shares it: others may go on reading and writing.
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    m_hFile = file;
    return true;
}

std::size_t CFileReader::Read(char* buffer, std::size_t size) {
    if (m_hFile == nullptr) {
        return 0;
    }
    const DWORD wanted = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
    DWORD read = 0;
    if (!ReadFile(static_cast<HANDLE>(m_hFile), buffer, wanted, &read, nullptr)) {
        return 0;
    }
    return read;
}

void CFileReader::Close() {
    if (m_hFile != nullptr) {
        CloseHandle(static_cast<HANDLE>(m_hFile));
        m_hFile = nullptr;
    }
}

WString WidenWithThreadCodePage(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(MAXINT)) {
        return WString();
    }
    const int count = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), count, nullptr, 0);
    if (length <= 0) {
        return WString();
    }
    WString text(static_cast<std::size_t>(length), 0);
    MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), count, &text[0], length);
    return text;
}
