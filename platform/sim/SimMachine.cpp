// The simulated machine's state, and the platform services that only read or record it.
#include "platform/sim/SimMachine.h"

#include <chrono>
#include <condition_variable>
#include <ctime>
#include <thread>

#include "platform/AppendFile.h"
#include "platform/Framework.h"
#include "platform/ModulePath.h"
#include "platform/ProgramCommandLine.h"
#include "platform/Registry.h"
#include "platform/WindowsVersion.h"
#include "platform/Wow64.h"
#include "platform/sim/SimDevices.h"
#include "platform/sim/SimPrintUI.h"
#include "platform/sim/SimSpooler.h"
#include "platform/sim/SimText.h"

namespace sim {

namespace {
const WChar kDefaultModulePath[] = WTEXT("C:\\VeltraSetup\\VeltraSetup.exe");
const WChar kQuote[] = WTEXT("\"");
const WChar kDefaultCurrentDirectory[] = WTEXT("C:\\Users\\Admin\\Downloads");
constexpr unsigned kSuiteSingleUserTerminal = 0x0100; // VER_SUITE_SINGLEUSERTS
// Windows 10 22H2 Pro: a workstation that takes one interactive session at a time.
constexpr WindowsVersion kDefaultWindows = {10, 0, 19045, kProductWorkstation,
                                            kSuiteSingleUserTerminal};
const WChar kFolderEnd[] = WTEXT("\\");
constexpr std::size_t kDriveLength = 2; // "C:"

// The text with each character through `fold`, to look names up by.
template <class Fold> WString Folded(const WString& text, Fold fold) {
    WString folded = text;
    for (WChar& c : folded) {
        c = fold(c);
    }
    return folded;
}
} // namespace

// A worker thread: the real thread, and whether it has ended.
struct Machine::ThreadRecord {
    std::thread thread;
    mutable std::mutex mutex;
    std::condition_variable ended;
    bool finished = false;
};

Machine::Machine() {
    Reset();
}

Machine& Machine::Get() {
    static Machine machine;
    return machine;
}

void Machine::Reset() {
    JoinThreads();
    modulePath = kDefaultModulePath;
    ansiCodePage = kCodePageChinese;
    wow64 = false;
    programMachine = kMachineAmd64;
    isWow64Process2Answers = true;
    processMachine = kMachineUnknown;
    nativeMachine = kMachineAmd64;
    windowsVersion = kDefaultWindows;
    // Started from Explorer: the program's path in quotes, nothing after it.
    commandLine = kQuote + modulePath + kQuote;
    processId = kDefaultProcessId;
    errorMode = 0;
    currentDirectory = kDefaultCurrentDirectory;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_files.clear();
        m_registry.clear();
        m_namedObjects.clear();
        m_messageBoxes.clear();
        m_failures.clear();
        m_threads.clear();
    }
    answerMessageBox = nullptr;
    commonControlsRegistrations = 0;
    user = nullptr;
    abandonedSheets = 0;
    clockMs = 0;
    onSleep = nullptr;
    openEvents = 0;
    openThreadHandles = 0;
    hangs = 0;
    Spooler::Get().Reset();
    PrintUI::Get().Reset();
    Devices::Get().Reset();
}

WString Machine::FileKey(const WString& path) {
    return Folded(path, FoldAsciiCase);
}

void Machine::WriteFile(const WString& path, const std::string& bytes) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_files[FileKey(path)] = bytes;
}

bool Machine::ReadFile(const WString& path, std::string& bytes) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_files.find(FileKey(path));
    if (it == m_files.end()) {
        return false;
    }
    bytes = it->second;
    return true;
}

void Machine::DeleteFile(const WString& path) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_files.erase(FileKey(path));
}

Machine::RegistryName Machine::RegistryKey(const WString& key, const WString& value) {
    return {Folded(key, UpcaseOrdinal), Folded(value, UpcaseOrdinal)};
}

bool Machine::FolderExists(const WString& folder) const {
    const WString key = FileKey(folder + kFolderEnd);
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto file = m_files.lower_bound(key);
    return (folder.size() == kDriveLength && folder[1] == WTEXT(':')) ||
           FileKey(currentDirectory + kFolderEnd).rfind(key, 0) == 0 ||
           (file != m_files.end() && file->first.rfind(key, 0) == 0);
}

bool Machine::AppendToFile(const WString& path, const std::string& bytes) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto file = m_files.try_emplace(FileKey(path));
    file.first->second += bytes;
    return !file.second;
}

void Machine::SetRegistryValue(const WString& key, const WString& value, RegistryValue data) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_registry[RegistryKey(key, value)] = data;
}

bool Machine::FindRegistryValue(const WString& key, const WString& value,
                                RegistryValue& data) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_registry.find(RegistryKey(key, value));
    if (it == m_registry.end()) {
        return false;
    }
    data = it->second;
    return true;
}

void Machine::HoldMutexElsewhere(const WString& name, ObjectOwner owner, ObjectKind kind) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_namedObjects.insert({name, NamedObject{owner, kind}});
}

MutexClaim Machine::TakeMutex(const WString& name, unsigned long& error) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_namedObjects.find(name);
    error = 0;
    if (it == m_namedObjects.end()) {
        m_namedObjects.insert({name, NamedObject{}});
        return MutexClaim::Claimed;
    }
    if (it->second.kind != ObjectKind::Mutex) {
        error = kErrorInvalidHandle; // as CreateMutexW fails on another type's name
    } else if (it->second.owner == ObjectOwner::OtherUser) {
        error = kErrorAlreadyExists; // a mutex, but no setup's
    }
    return error != 0 ? MutexClaim::Foreign : MutexClaim::HeldElsewhere;
}

void Machine::ReleaseMutex(const WString& name) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_namedObjects.find(name);
    if (it != m_namedObjects.end()) {
        m_namedObjects.erase(it);
    }
}

int Machine::ShowMessageBox(const MessageBoxRecord& box) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_messageBoxes.push_back(box);
    }
    return answerMessageBox ? answerMessageBox(box) : IdOk;
}

std::vector<MessageBoxRecord> Machine::MessageBoxes() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_messageBoxes;
}

void Machine::Fail(Operation operation, unsigned long error, unsigned nthCall) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_failures[operation] = Failure{error, nthCall, 0};
}

bool Machine::TakeFailure(Operation operation, unsigned long& error) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_failures.find(operation);
    if (it == m_failures.end()) {
        return false;
    }
    Failure& failure = it->second;
    ++failure.callsSeen;
    if (failure.nthCall != kEveryTime && failure.callsSeen != failure.nthCall) {
        return false;
    }
    error = failure.error;
    return true;
}

bool Machine::TakeFailure(Operation operation) {
    unsigned long error = 0;
    return TakeFailure(operation, error);
}

Machine::ThreadRecord* Machine::StartThread(ThreadBody body) {
    auto record = std::make_unique<ThreadRecord>();
    ThreadRecord* thread = record.get();
    ++m_nRunningThreads;
    thread->thread = std::thread([this, thread, body = std::move(body)] {
        body();
        std::lock_guard<std::mutex> lock(thread->mutex);
        --m_nRunningThreads;
        thread->finished = true;
        thread->ended.notify_all();
    });
    std::lock_guard<std::mutex> lock(m_mutex);
    m_threads.push_back(std::move(record));
    return thread;
}

bool Machine::WaitForThread(ThreadRecord& thread) {
    std::unique_lock<std::mutex> lock(thread.mutex);
    if (thread.ended.wait_for(lock, std::chrono::milliseconds(kHangLimitMs),
                              [&] { return thread.finished; })) {
        return true;
    }
    ++Get().hangs;
    return false;
}

bool Machine::IsThreadRunning(const ThreadRecord& thread) {
    std::lock_guard<std::mutex> lock(thread.mutex);
    return !thread.finished;
}

void Machine::JoinThreads() {
    std::vector<std::unique_ptr<ThreadRecord>> threads;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        threads.swap(m_threads);
    }
    for (auto& thread : threads) {
        if (WaitForThread(*thread)) {
            thread->thread.join();
        } else {
            // A thread stuck for good: let it go rather than hang the tests with it.
            thread->thread.detach();
            thread.release();
        }
    }
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

ProcessMachines QueryProcessMachines() {
    const sim::Machine& machine = sim::Machine::Get();
    ProcessMachines machines;
    machines.known = machine.isWow64Process2Answers;
    if (machines.known) {
        machines.process = machine.processMachine;
        machines.native = machine.nativeMachine;
    }
    machines.wow64 = machine.wow64;
    return machines;
}

MachineType ProgramMachine() {
    return sim::Machine::Get().programMachine;
}

bool QueryWindowsVersion(WindowsVersion& version) {
    version = sim::Machine::Get().windowsVersion;
    return true;
}

bool ReadMachineDword(const WChar* key, const WChar* value, std::uint32_t& data) {
    sim::Machine::RegistryValue found;
    if (!sim::Machine::Get().FindRegistryValue(key, value, found) || !found.isDword) {
        return false;
    }
    data = found.data;
    return true;
}

WString ProgramCommandLine() {
    return sim::Machine::Get().commandLine;
}

unsigned long CurrentProcessId() {
    return sim::Machine::Get().processId;
}

void NeverAskThroughErrorBoxes() {
    sim::Machine::Get().errorMode |= sim::kSemFailCriticalErrors | sim::kSemNoOpenFileErrorBox;
}

LocalTime CurrentLocalTime() {
    // The simulated clock starts on 9 December 2026 at 08:00. The calendar sums are the C
    // library's, in UTC so that the host's time zone shifts nothing.
    constexpr std::time_t kStart = 1796803200; // 2026-12-09 08:00:00, in seconds since 1970
    constexpr int kTmBaseYear = 1900;          // std::tm counts years from 1900, months from 0
    constexpr std::uint64_t kMsPerSecond = 1000;
    const std::uint64_t ms = MonotonicMs();
    const std::time_t now = kStart + static_cast<std::time_t>(ms / kMsPerSecond);
    std::tm t = {};
    gmtime_r(&now, &t);
    const auto field = [](int value) { return static_cast<unsigned>(value); };
    return LocalTime{field(t.tm_year + kTmBaseYear),
                     field(t.tm_mon + 1),
                     field(t.tm_mday),
                     field(t.tm_hour),
                     field(t.tm_min),
                     field(t.tm_sec),
                     static_cast<unsigned>(ms % kMsPerSecond)};
}

std::uint64_t MonotonicMs() {
    return sim::Machine::Get().clockMs;
}

void InitCommonControlClasses() {
    ++sim::Machine::Get().commonControlsRegistrations;
}

int ShowAppMessageBox(const WString& text, const WString& caption, unsigned style) {
    return sim::Machine::Get().ShowMessageBox({WString(), text, caption, style});
}
