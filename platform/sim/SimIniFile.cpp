// INI reading on the simulated machine: its file store, its ANSI code page decoded with iconv.
#include <iconv.h>

#include <cerrno>
#include <string>

#include "platform/IniFile.h"
#include "platform/sim/SimIniParser.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimText.h"

namespace sim {
namespace {

// What the platform's decoder gives for bytes a double-byte page does not define: '?' for a
// lead byte, together with the byte after it whatever that is (a line feed included), and a
// private-use character for 0xFF, which starts no pair.
constexpr WChar kUndefinedPair = WTEXT('?');
constexpr unsigned char kNeverLeadByte = 0xFF;
constexpr WChar kNeverLeadByteChar = 0xF8F5;
constexpr std::size_t kPairSize = 2;
constexpr std::size_t kOutputChunk = 4096; // bytes of UTF-16 per call to iconv
const char kUtf16Le[] = "UTF-16LE";
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);
const std::size_t kIconvFailed = static_cast<std::size_t>(-1);

// iconv's name for each ANSI code page the machine can have. On single-byte pages the
// platform gives a byte the page leaves undefined its own value (0x81 is U+0081).
struct CodePageInfo {
    unsigned codePage;
    const char* iconvName;
    bool doubleByte;
};
constexpr CodePageInfo kCodePages[] = {
    {kCodePageChinese, "CP936", true},
    {kCodePageWestern, "CP1252", false},
};

const CodePageInfo* FindCodePage(unsigned codePage) {
    for (const CodePageInfo& info : kCodePages) {
        if (info.codePage == codePage) {
            return &info;
        }
    }
    return nullptr;
}

class Converter {
public:
    explicit Converter(const char* from) : m_handle(iconv_open(kUtf16Le, from)) {}
    ~Converter() {
        if (m_handle != kNoConverter) {
            iconv_close(m_handle);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool Usable() const { return m_handle != kNoConverter; }

    // Converts as much as it can; stops at a byte it cannot convert, with `in` left on it.
    void Convert(char*& in, std::size_t& inLeft, WString& text) {
        char chunk[kOutputChunk];
        while (inLeft > 0) {
            char* out = chunk;
            std::size_t outLeft = sizeof(chunk);
            const std::size_t result = iconv(m_handle, &in, &inLeft, &out, &outLeft);
            text += DecodeUtf16Bytes(chunk, sizeof(chunk) - outLeft, false);
            if (result == kIconvFailed && errno != E2BIG) {
                return;
            }
        }
    }

private:
    iconv_t m_handle;
};

} // namespace

// Defined bytes and pairs come out of glibc's tables exactly as out of the platform's (checked
// for every byte and pair of both pages under Wine). The rest follows the platform's decoder
// except for the user-defined areas of code page 936, which it maps to private-use characters
// and this reads as '?'.
WString DecodeAnsiCodePage(const std::string& bytes, unsigned codePage) {
    const CodePageInfo* info = FindCodePage(codePage);
    const std::string name = info != nullptr ? info->iconvName : "CP" + std::to_string(codePage);
    const bool doubleByte = info != nullptr && info->doubleByte;
    Converter converter(name.c_str());
    WString text;
    std::string input = bytes;
    char* in = input.data();
    std::size_t inLeft = input.size();
    while (inLeft > 0) {
        if (converter.Usable()) {
            converter.Convert(in, inLeft, text);
            if (inLeft == 0) {
                break;
            }
        }
        const unsigned char byte = static_cast<unsigned char>(*in);
        std::size_t skipped = 1;
        if (!doubleByte || !converter.Usable()) {
            text.push_back(static_cast<WChar>(byte));
        } else if (byte == kNeverLeadByte) {
            text.push_back(kNeverLeadByteChar);
        } else {
            text.push_back(kUndefinedPair);
            skipped = inLeft < kPairSize ? inLeft : kPairSize;
        }
        in += skipped;
        inLeft -= skipped;
    }
    return text;
}

namespace {

WString DecodeForMachine(const std::string& bytes, IniByteEncoding encoding) {
    if (encoding == IniByteEncoding::Utf8) {
        return FromUtf8(bytes);
    }
    return DecodeAnsiCodePage(bytes, Machine::Get().ansiCodePage);
}

// The file as the machine holds it; a missing file reads as one without sections.
IniDocument LoadDocument(const WChar* file) {
    std::string bytes;
    if (file == nullptr || !Machine::Get().ReadFile(file, bytes)) {
        return IniDocument();
    }
    return IniDocument::FromBytes(bytes, DecodeForMachine);
}

} // namespace
} // namespace sim

unsigned long IniReadSection(const WChar* section, WChar* buffer, unsigned long capacity,
                             const WChar* file) {
    return sim::LoadDocument(file).ReadSection(section, buffer, capacity);
}

unsigned long IniReadString(const WChar* section, const WChar* key, const WChar* defaultValue,
                            WChar* buffer, unsigned long capacity, const WChar* file) {
    return sim::LoadDocument(file).ReadString(section, key, defaultValue, buffer, capacity);
}
