// Saves what a window shows on screen as a PNG file.
#pragma once

#include <string>
#include <windows.h>

namespace driver {

// Copies the window's screen rectangle (caption and frame included) into a PNG
// at path. Returns false with a reason on failure.
bool saveWindowPng(HWND window, const std::wstring& path, std::wstring& error);

} // namespace driver
