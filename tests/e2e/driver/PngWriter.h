// Encodes 8-bit RGB images as PNG files without any compression library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace driver {

// CRC-32 as PNG uses it (polynomial 0xEDB88320), continuing from a previous value.
std::uint32_t crc32(const std::uint8_t* data, std::size_t size, std::uint32_t previous = 0);

// Adler-32 as zlib uses it, continuing from a previous value (start with 1).
std::uint32_t adler32(const std::uint8_t* data, std::size_t size, std::uint32_t previous = 1);

// Returns a complete PNG file. rgb holds height rows of width * 3 bytes, top row
// first. The image data is stored, not compressed: a screenshot of a dialog is a
// few megabytes at most, and this keeps the encoder short and easy to check.
std::vector<std::uint8_t> encodePng(std::uint32_t width, std::uint32_t height,
                                    const std::vector<std::uint8_t>& rgb);

} // namespace driver
