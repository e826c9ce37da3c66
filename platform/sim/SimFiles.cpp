// Reading and appending to files, and widening 8-bit text, on the simulated machine.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "platform/AppendFile.h"
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

constexpr WChar kBackslash = WTEXT('\\');
constexpr WChar kDriveColon = WTEXT(':');
constexpr std::size_t kDriveLength = 2; // "C:"

// The full path Windows makes of `path`: "C:\..." and "\\server\..." as they are, anything
// else from the current folder.
WString FullPath(const WString& path) {
    const WString& current = Machine::Get().currentDirectory;
    if ((path.size() > kDriveLength && path[1] == kDriveColon &&
         path[kDriveLength] == kBackslash) ||
        path.rfind(WString(2, kBackslash), 0) == 0) {
        return path;
    }
    return current + kBackslash + path;
}
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

CAppendFile::~CAppendFile() {
    Close();
}

bool CAppendFile::Open(const WChar* path) {
    Close();
    m_bCreated = false;
    sim::Machine& machine = sim::Machine::Get();
    if (machine.TakeFailure(sim::Operation::CreateFile)) {
        return false;
    }
    auto fullPath = std::make_unique<WString>(sim::FullPath(path));
    // CreateFileW makes no folder: in one that does not exist the file cannot be made.
    if (!machine.FolderExists(fullPath->substr(0, fullPath->rfind(sim::kBackslash)))) {
        return false;
    }
    m_bCreated = !machine.AppendToFile(*fullPath, std::string());
    m_hFile = fullPath.release();
    return true;
}

bool CAppendFile::Append(std::string_view bytes) {
    const auto* path = static_cast<const WString*>(m_hFile);
    if (path == nullptr) {
        return false;
    }
    sim::Machine::Get().AppendToFile(*path, std::string(bytes));
    return true;
}

void CAppendFile::Close() {
    delete static_cast<WString*>(m_hFile);
    m_hFile = nullptr;
}

WString WidenWithThreadCodePage(std::string_view bytes) {
    return sim::DecodeAnsiCodePage(std::string(bytes), sim::Machine::Get().ansiCodePage);
}
