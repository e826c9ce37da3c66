// Saves what a window shows on screen as a PNG file.
#include "Screenshot.h"

#include "PngWriter.h"

#include <cstdint>
#include <vector>

namespace driver {
namespace {

constexpr WORD kBitsPerPixel = 24;
constexpr LONG kBytesPerPixel = 3;
// DIB rows are padded to a multiple of four bytes.
constexpr LONG kDibRowAlignment = 4;

std::wstring lastErrorText(const wchar_t* what) {
    return std::wstring(what) + L" failed with error " + std::to_wstring(GetLastError());
}

bool writeFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes,
               std::wstring& error) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = lastErrorText(L"CreateFileW") + L" for " + path;
        return false;
    }
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != bytes.size()) {
        error = lastErrorText(L"WriteFile") + L" for " + path;
        return false;
    }
    return true;
}

} // namespace

bool saveWindowPng(HWND window, const std::wstring& path, std::wstring& error) {
    RECT rect{};
    if (!GetWindowRect(window, &rect)) {
        error = lastErrorText(L"GetWindowRect");
        return false;
    }
    const LONG width = rect.right - rect.left;
    const LONG height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) {
        error = L"the window has an empty rectangle";
        return false;
    }

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // negative: top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = kBitsPerPixel;
    info.bmiHeader.biCompression = BI_RGB;

    HDC screen = GetDC(nullptr);
    if (!screen) {
        error = lastErrorText(L"GetDC");
        return false;
    }
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool copied = false;
    if (memory && bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        copied = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top,
                        SRCCOPY | CAPTUREBLT) != FALSE;
        GdiFlush();
        SelectObject(memory, old);
    }
    if (!copied) {
        error = lastErrorText(L"capturing the screen");
    }

    std::vector<std::uint8_t> rgb;
    if (copied) {
        const LONG stride =
            (width * kBytesPerPixel + kDibRowAlignment - 1) / kDibRowAlignment * kDibRowAlignment;
        rgb.reserve(static_cast<size_t>(width * height * kBytesPerPixel));
        const auto* source = static_cast<const std::uint8_t*>(bits);
        for (LONG y = 0; y < height; ++y) {
            const std::uint8_t* pixel = source + y * stride;
            for (LONG x = 0; x < width; ++x, pixel += kBytesPerPixel) {
                // The DIB stores blue, green, red.
                rgb.push_back(pixel[2]);
                rgb.push_back(pixel[1]);
                rgb.push_back(pixel[0]);
            }
        }
    }

    if (bitmap) {
        DeleteObject(bitmap);
    }
    if (memory) {
        DeleteDC(memory);
    }
    ReleaseDC(nullptr, screen);

    if (!copied) {
        return false;
    }
    return writeFile(
        path, encodePng(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), rgb),
        error);
}

} // namespace driver
