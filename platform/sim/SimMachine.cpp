// The simulated machine's state, and the platform services that only read or record it.
#include "platform/sim/SimMachine.h"

#include <chrono>
#include <condition_variable>
#include <thread>

#include "platform/Framework.h"
#include "platform/ModulePath.h"
#include "platform/Wow64.h"
#include "platform/sim/SimDevices.h"
#include "platform/sim/SimPrintUI.h"
#include "platform/sim/SimSpooler.h"
#include "platform/sim/SimText.h"

namespace sim {

namespace {
const WChar kDefaultModulePath[] = WTEXT("C:\\VeltraSetup\\VeltraSetup.exe");
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
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_files.clear();
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
    WString key = path;
    for (WChar& c : key) {
        c = FoldAsciiCase(c);
    }
    return key;
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

bool RunsUnderWow64() {
    return sim::Machine::Get().wow64;
}

void InitCommonControlClasses() {
    ++sim::Machine::Get().commonControlsRegistrations;
}

int ShowAppMessageBox(const WString& text, const WString& caption, unsigned style) {
    return sim::Machine::Get().ShowMessageBox({WString(), text, caption, style});
}
