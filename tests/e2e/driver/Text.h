// UTF-8 / UTF-16 conversion, lists in one line and console output for the wizard driver.
#pragma once

#include <string>
#include <vector>

namespace driver {

// Converts UTF-8 to UTF-16; returns false if the bytes are not valid UTF-8.
bool fromUtf8(const std::string& utf8, std::wstring& wide);

// Converts UTF-16 to UTF-8 (invalid surrogates become U+FFFD).
std::string toUtf8(const std::wstring& wide);

// Splits the text at each separator; an empty text is one empty item.
std::vector<std::wstring> split(const std::wstring& text, wchar_t separator);

// The items with the separator between them.
std::wstring join(const std::vector<std::wstring>& items, wchar_t separator);

// Writes one line to stdout as UTF-8 and flushes it, so the log survives a kill.
// msvcrt's %ls stops at the first non-ASCII character, hence this.
void printLine(const std::wstring& line);

// Puts the text in double quotes with line feeds, tabs and backslashes written
// as escapes, so expected and actual texts can be compared by eye.
std::wstring quoted(const std::wstring& text);

// A duration for messages: "3 s", "0.5 s".
std::wstring seconds(unsigned long milliseconds);

// Sets stdout to binary mode (no CR added to LF) and the console to UTF-8.
void setUpConsole();

} // namespace driver
