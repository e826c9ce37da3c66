// Threads, events, named mutexes and sleeping on the simulated machine: real threads and real
// waits, but simulated time, so nothing sleeps for real.
#include "platform/Threads.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/NamedMutex.h"
#include "platform/sim/SimMachine.h"

namespace sim {
namespace {

struct SimEvent {
    std::mutex mutex;
    std::condition_variable changed;
    bool signalled = false;
};

SimEvent* AsEvent(void* handle) {
    return static_cast<SimEvent*>(handle);
}

Machine::ThreadRecord* AsThread(void* handle) {
    return static_cast<Machine::ThreadRecord*>(handle);
}

// A claimed mutex's handle is its name, for the machine to let go of.
void ReleaseMutex(void*& handle) {
    auto* name = static_cast<WString*>(handle);
    if (name != nullptr) {
        Machine::Get().ReleaseMutex(*name);
        delete name;
        handle = nullptr;
    }
}

} // namespace
} // namespace sim

void SleepMs(unsigned long milliseconds) {
    sim::Machine& machine = sim::Machine::Get();
    machine.clockMs += milliseconds;
    if (machine.onSleep) {
        machine.onSleep(milliseconds);
    }
    std::this_thread::yield();
}

CEvent::~CEvent() {
    Close();
}

bool CEvent::Create() {
    Close();
    sim::Machine& machine = sim::Machine::Get();
    if (machine.TakeFailure(sim::Operation::CreateEvent)) {
        return false;
    }
    m_hEvent = new sim::SimEvent;
    ++machine.openEvents;
    return true;
}

bool CEvent::Set() {
    sim::SimEvent* event = sim::AsEvent(m_hEvent);
    if (event == nullptr) {
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(event->mutex);
        event->signalled = true;
    }
    event->changed.notify_all();
    return true;
}

bool CEvent::Reset() {
    sim::SimEvent* event = sim::AsEvent(m_hEvent);
    if (event == nullptr) {
        return false;
    }
    std::lock_guard<std::mutex> lock(event->mutex);
    event->signalled = false;
    return true;
}

bool CEvent::Wait() {
    sim::SimEvent* event = sim::AsEvent(m_hEvent);
    if (event == nullptr) {
        return false;
    }
    std::unique_lock<std::mutex> lock(event->mutex);
    if (event->changed.wait_for(lock, std::chrono::milliseconds(sim::kHangLimitMs),
                                [event] { return event->signalled; })) {
        return true;
    }
    ++sim::Machine::Get().hangs;
    return false;
}

void CEvent::Close() {
    if (m_hEvent == nullptr) {
        return;
    }
    delete sim::AsEvent(m_hEvent);
    m_hEvent = nullptr;
    --sim::Machine::Get().openEvents;
}

CThread::~CThread() {
    Close();
}

bool CThread::Start(Procedure procedure, void* parameter) {
    Close();
    sim::Machine& machine = sim::Machine::Get();
    if (machine.TakeFailure(sim::Operation::CreateThread)) {
        return false;
    }
    m_hThread = machine.StartThread([procedure, parameter] { procedure(parameter); });
    ++machine.openThreadHandles;
    return true;
}

bool CThread::Join() {
    sim::Machine::ThreadRecord* thread = sim::AsThread(m_hThread);
    return thread != nullptr && sim::Machine::WaitForThread(*thread);
}

void CThread::Close() {
    if (m_hThread == nullptr) {
        return;
    }
    m_hThread = nullptr;
    --sim::Machine::Get().openThreadHandles;
}

CNamedMutex::~CNamedMutex() {
    sim::ReleaseMutex(m_hMutex);
}

MutexClaim CNamedMutex::Claim(const WChar* name) {
    sim::ReleaseMutex(m_hMutex);
    m_hNamespace = nullptr; // the simulated Windows has no private namespaces
    sim::Machine& machine = sim::Machine::Get();
    if (machine.TakeFailure(sim::Operation::CreateMutex, m_nError)) {
        return MutexClaim::Failed;
    }
    const MutexClaim claim = machine.TakeMutex(name, m_nError);
    if (claim == MutexClaim::Claimed) {
        m_hMutex = new WString(name);
    }
    return claim;
}
