// Threads, events and sleeping on Windows.
#include <windows.h>

#include <new>

#include "platform/Threads.h"

namespace {

// What the new thread needs: CreateThread passes one pointer.
struct ThreadStart {
    CThread::Procedure procedure;
    void* parameter;
};

DWORD WINAPI ThreadTrampoline(LPVOID context) {
    const ThreadStart start = *static_cast<ThreadStart*>(context);
    delete static_cast<ThreadStart*>(context);
    return start.procedure(start.parameter);
}

void CloseIfOpen(void*& handle) {
    if (handle != nullptr) {
        CloseHandle(static_cast<HANDLE>(handle));
        handle = nullptr;
    }
}

} // namespace

void SleepMs(unsigned long milliseconds) {
    Sleep(milliseconds);
}

CEvent::~CEvent() {
    Close();
}

bool CEvent::Create() {
    Close();
    m_hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return m_hEvent != nullptr;
}

bool CEvent::Set() {
    return m_hEvent != nullptr && SetEvent(static_cast<HANDLE>(m_hEvent)) != FALSE;
}

bool CEvent::Reset() {
    return m_hEvent != nullptr && ResetEvent(static_cast<HANDLE>(m_hEvent)) != FALSE;
}

bool CEvent::Wait() {
    return m_hEvent != nullptr &&
           WaitForSingleObject(static_cast<HANDLE>(m_hEvent), INFINITE) == WAIT_OBJECT_0;
}

void CEvent::Close() {
    CloseIfOpen(m_hEvent);
}

CThread::~CThread() {
    Close();
}

bool CThread::Start(Procedure procedure, void* parameter) {
    Close();
    auto* start = new (std::nothrow) ThreadStart{procedure, parameter};
    if (start == nullptr) {
        return false;
    }
    m_hThread = CreateThread(nullptr, 0, ThreadTrampoline, start, 0, nullptr);
    if (m_hThread == nullptr) {
        delete start;
        return false;
    }
    return true;
}

bool CThread::Join() {
    return m_hThread != nullptr &&
           WaitForSingleObject(static_cast<HANDLE>(m_hThread), INFINITE) == WAIT_OBJECT_0;
}

void CThread::Close() {
    CloseIfOpen(m_hThread);
}
