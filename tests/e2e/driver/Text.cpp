// UTF-8 / UTF-16 conversion, lists in one line and console output for the wizard driver.
#include "Text.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace driver {

bool fromUtf8(const std::string& utf8, std::wstring& wide) {
    wide.clear();
    if (utf8.empty()) {
        return true;
    }
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                           static_cast<int>(utf8.size()), nullptr, 0);
    if (length <= 0) {
        return false;
    }
    wide.resize(static_cast<size_t>(length));
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                        wide.data(), length);
    return true;
}

std::string toUtf8(const std::wstring& wide) {
    if (wide.empty()) {
        return std::string();
    }
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return std::string();
    }
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length,
                        nullptr, nullptr);
    return utf8;
}

std::vector<std::wstring> split(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> items;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        items.push_back(text.substr(start, end - start));
        if (end == std::wstring::npos) {
            return items;
        }
        start = end + 1;
    }
}

std::wstring join(const std::vector<std::wstring>& items, wchar_t separator) {
    std::wstring text;
    for (size_t i = 0; i < items.size(); ++i) {
        text += (i ? std::wstring(1, separator) : L"") + items[i];
    }
    return text;
}

void printLine(const std::wstring& line) {
    const std::string utf8 = toUtf8(line) + "\n";
    fwrite(utf8.data(), 1, utf8.size(), stdout);
    fflush(stdout);
}

std::wstring quoted(const std::wstring& text) {
    std::wstring result = L"\"";
    for (wchar_t c : text) {
        switch (c) {
        case L'\n':
            result += L"\\n";
            break;
        case L'\r':
            result += L"\\r";
            break;
        case L'\t':
            result += L"\\t";
            break;
        case L'\\':
            result += L"\\\\";
            break;
        default:
            result += c;
        }
    }
    return result + L"\"";
}

std::wstring seconds(unsigned long milliseconds) {
    constexpr unsigned long kMsPerSecond = 1000;
    constexpr unsigned long kMsPerTenth = 100;
    std::wstring text = std::to_wstring(milliseconds / kMsPerSecond);
    if (milliseconds % kMsPerSecond != 0) {
        text += L"." + std::to_wstring(milliseconds % kMsPerSecond / kMsPerTenth);
    }
    return text + L" s";
}

void setUpConsole() {
    _setmode(_fileno(stdout), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
}

} // namespace driver
