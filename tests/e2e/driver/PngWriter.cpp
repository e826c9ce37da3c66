// Encodes 8-bit RGB images as PNG files without any compression library.
#include "PngWriter.h"

#include <algorithm>
#include <array>

namespace driver {
namespace {

constexpr std::uint32_t kCrcPolynomial = 0xEDB88320u;
constexpr std::uint32_t kAdlerModulus = 65521u;
// Adler-32 sums may run this many bytes before they must be reduced (zlib's NMAX).
constexpr std::size_t kAdlerBlock = 5552;
constexpr int kBitsPerByte = 8;
constexpr std::size_t kByteValues = 256;

constexpr std::uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t kBitDepth = 8;
constexpr std::uint8_t kColorTypeRgb = 2;
constexpr std::uint8_t kCompressionDeflate = 0;
constexpr std::uint8_t kFilterMethodAdaptive = 0;
constexpr std::uint8_t kInterlaceNone = 0;
constexpr std::uint8_t kRowFilterNone = 0;
constexpr std::size_t kBytesPerPixel = 3;

// zlib header: deflate with a 32 KiB window (0x78), no dictionary, lowest level;
// 0x7801 is a multiple of 31 as the header check requires.
constexpr std::uint8_t kZlibCmf = 0x78;
constexpr std::uint8_t kZlibFlg = 0x01;
// A stored deflate block holds at most this many bytes (its length is 16 bits).
constexpr std::size_t kMaxStoredBlock = 0xFFFF;
constexpr std::uint8_t kStoredBlock = 0x00;
constexpr std::uint8_t kFinalStoredBlock = 0x01;
// Each stored block starts with its type byte, then LEN and NLEN.
constexpr std::size_t kStoredBlockHeader = 5;
// Two header bytes in front of the deflate data, the Adler-32 behind it.
constexpr std::size_t kZlibOverhead = 6;

std::array<std::uint32_t, kByteValues> makeCrcTable() {
    std::array<std::uint32_t, kByteValues> table{};
    for (std::uint32_t n = 0; n < table.size(); ++n) {
        std::uint32_t c = n;
        for (int bit = 0; bit < kBitsPerByte; ++bit) {
            c = (c & 1u) ? (kCrcPolynomial ^ (c >> 1)) : (c >> 1);
        }
        table[n] = c;
    }
    return table;
}

void appendBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 24));
    out.push_back(static_cast<std::uint8_t>(value >> 16));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

void appendLittleEndian16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void appendChunk(std::vector<std::uint8_t>& out, const char (&type)[5],
                 const std::vector<std::uint8_t>& data) {
    appendBigEndian32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeStart = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    appendBigEndian32(out, crc32(out.data() + typeStart, out.size() - typeStart));
}

// Wraps raw bytes in a zlib stream made of stored deflate blocks.
std::vector<std::uint8_t> zlibStored(const std::vector<std::uint8_t>& raw) {
    std::vector<std::uint8_t> out;
    const std::size_t blocks =
        std::max<std::size_t>(1, (raw.size() + kMaxStoredBlock - 1) / kMaxStoredBlock);
    out.reserve(raw.size() + blocks * kStoredBlockHeader + kZlibOverhead);
    out.push_back(kZlibCmf);
    out.push_back(kZlibFlg);
    std::size_t offset = 0;
    do {
        const std::size_t size = std::min(kMaxStoredBlock, raw.size() - offset);
        const bool last = offset + size == raw.size();
        out.push_back(last ? kFinalStoredBlock : kStoredBlock);
        appendLittleEndian16(out, static_cast<std::uint16_t>(size));
        appendLittleEndian16(out, static_cast<std::uint16_t>(~size));
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(offset),
                   raw.begin() + static_cast<std::ptrdiff_t>(offset + size));
        offset += size;
    } while (offset < raw.size());
    appendBigEndian32(out, adler32(raw.data(), raw.size()));
    return out;
}

} // namespace

std::uint32_t crc32(const std::uint8_t* data, std::size_t size, std::uint32_t previous) {
    static const std::array<std::uint32_t, kByteValues> table = makeCrcTable();
    std::uint32_t c = previous ^ 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        c = table[(c ^ data[i]) & 0xFFu] ^ (c >> 8);
    }
    return c ^ 0xFFFFFFFFu;
}

std::uint32_t adler32(const std::uint8_t* data, std::size_t size, std::uint32_t previous) {
    std::uint32_t a = previous & 0xFFFFu;
    std::uint32_t b = previous >> 16;
    while (size > 0) {
        const std::size_t run = std::min(size, kAdlerBlock);
        for (std::size_t i = 0; i < run; ++i) {
            a += data[i];
            b += a;
        }
        a %= kAdlerModulus;
        b %= kAdlerModulus;
        data += run;
        size -= run;
    }
    return (b << 16) | a;
}

std::vector<std::uint8_t> encodePng(std::uint32_t width, std::uint32_t height,
                                    const std::vector<std::uint8_t>& rgb) {
    const std::size_t rowBytes = static_cast<std::size_t>(width) * kBytesPerPixel;

    // Every scanline starts with its filter type; we use none.
    std::vector<std::uint8_t> scanlines;
    scanlines.reserve((rowBytes + 1) * height);
    for (std::uint32_t y = 0; y < height; ++y) {
        scanlines.push_back(kRowFilterNone);
        const auto row = rgb.begin() + static_cast<std::ptrdiff_t>(rowBytes * y);
        scanlines.insert(scanlines.end(), row, row + static_cast<std::ptrdiff_t>(rowBytes));
    }

    std::vector<std::uint8_t> header;
    appendBigEndian32(header, width);
    appendBigEndian32(header, height);
    header.push_back(kBitDepth);
    header.push_back(kColorTypeRgb);
    header.push_back(kCompressionDeflate);
    header.push_back(kFilterMethodAdaptive);
    header.push_back(kInterlaceNone);

    std::vector<std::uint8_t> png(std::begin(kPngSignature), std::end(kPngSignature));
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT", zlibStored(scanlines));
    appendChunk(png, "IEND", {});
    return png;
}

} // namespace driver
