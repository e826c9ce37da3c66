// The simulated machine's state, and the platform services that only read or record it.
#include "platform/sim/SimMachine.h"

#include "platform/Framework.h"
#include "platform/ModulePath.h"

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
    messageBoxes.clear();
    answerMessageBox = nullptr;
    commonControlsRegistrations = 0;
    user = nullptr;
    abandonedSheets = 0;
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
