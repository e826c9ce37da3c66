// Reading files and widening 8-bit text on the simulated machine.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "platform/CodePage.h"
#include "platform/FileReader.h"
#include "platform/sim/SimIniParser.h"
#include "platform/sim/SimMachine.h"

namespace sim {
namespace {
// An open file: a copy of its bytes and how far it has been read.
struct OpenFile {
    std::string bytes;
    std::size_t position = 0;
};
} // namespace
} // namespace sim

CFileReader::~CFileReader() {
    Close();
}

bool CFileReader::Open(const WChar* path) {
    Close();
    sim::Machine& machine = sim::Machine::Get();
    auto file = std::make_unique<sim::OpenFile>();
    if (machine.TakeFailure(sim::Operation::OpenFile) || !machine.ReadFile(path, file->bytes)) {
        return false;
    }
    m_hFile = file.release();
    return true;
}

std::size_t CFileReader::Read(char* buffer, std::size_t size) {
    auto* file = static_cast<sim::OpenFile*>(m_hFile);
    if (file == nullptr) {
        return 0;
    }
    const std::size_t count = std::min(size, file->bytes.size() - file->position);
    std::memcpy(buffer, file->bytes.data() + file->position, count);
    file->position += count;
    return count;
}

void CFileReader::Close() {
    delete static_cast<sim::OpenFile*>(m_hFile);
    m_hFile = nullptr;
}

WString WidenWithThreadCodePage(std::string_view bytes) {
    return sim::DecodeAnsiCodePage(std::string(bytes), sim::Machine::Get().ansiCodePage);
}
