// The simulated machine's state, and the platform services that only read or record it.
#include "platform/sim/SimMachine.h"

#include "platform/Framework.h"
#include "platform/ModulePath.h"
#include "platform/sim/SimSpooler.h"

namespace sim {

namespace {
const WChar kDefaultModulePath[] = WTEXT("C:\\VeltraSetup\\VeltraSetup.exe");
}

Machine::Machine() {
    Reset();
}

Machine& Machine::Get() {
    static Machine machine;
    return machine;
}

void Machine::Reset() {
    modulePath = kDefaultModulePath;
    ansiCodePage = kCodePageChinese;
    m_files.clear();
    messageBoxes.clear();
    answerMessageBox = nullptr;
    commonControlsRegistrations = 0;
    user = nullptr;
    abandonedSheets = 0;
    Spooler::Get().Reset();
}

WString Machine::FileKey(const WString& path) {
    WString key = path;
    for (WChar& c : key) {
        if (c >= WTEXT('a') && c <= WTEXT('z')) {
            c = static_cast<WChar>(c - WTEXT('a') + WTEXT('A'));
        }
    }
    return key;
}

void Machine::WriteFile(const WString& path, const std::string& bytes) {
    m_files[FileKey(path)] = bytes;
}

bool Machine::ReadFile(const WString& path, std::string& bytes) const {
    auto it = m_files.find(FileKey(path));
    if (it == m_files.end()) {
        return false;
    }
    bytes = it->second;
    return true;
}

void Machine::DeleteFile(const WString& path) {
    m_files.erase(FileKey(path));
}

int Machine::ShowMessageBox(const MessageBoxRecord& box) {
    messageBoxes.push_back(box);
    return answerMessageBox ? answerMessageBox(box) : IdOk;
}

} // namespace sim

bool GetModulePath(WChar* buffer, std::size_t capacity) {
    const WString& path = sim::Machine::Get().modulePath;
    // As the platform does: a path that does not fit whole is not given at all.
    if (path.empty() || path.size() + 1 > capacity) {
        if (capacity > 0) {
            buffer[0] = 0;
        }
        return false;
    }
    return CopyText(buffer, capacity, path.c_str());
}

void InitCommonControlClasses() {
    ++sim::Machine::Get().commonControlsRegistrations;
}

int ShowAppMessageBox(const WString& text, const WString& caption, unsigned style) {
    return sim::Machine::Get().ShowMessageBox({WString(), text, caption, style});
}
