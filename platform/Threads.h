// Worker threads, manual-reset events and sleeping, as the confirmation page uses them.
#pragma once

// Suspends the calling thread for this many milliseconds (Sleep).
void SleepMs(unsigned long milliseconds);

// An unnamed manual-reset event, created non-signalled. Closes itself when it goes out of
// scope; Close() lets go of it earlier.
class CEvent {
public:
    CEvent() = default;
    ~CEvent();
    CEvent(const CEvent&) = delete;
    CEvent& operator=(const CEvent&) = delete;

    // Creates a new event, closing the one held so far. False when it could not be created.
    bool Create();
    bool IsValid() const { return m_hEvent != nullptr; }
    bool Set();
    bool Reset();
    // Waits for the event without a time-out.
    bool Wait();
    void Close();

private:
    void* m_hEvent = nullptr;
};

// A thread that runs `procedure(parameter)` at once, with the default security and stack
// size. The object owns the thread's handle, not the thread: closing the handle leaves the
// thread running.
class CThread {
public:
    using Procedure = unsigned (*)(void* parameter);

    CThread() = default;
    ~CThread();
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;

    // Starts the thread, closing the handle held so far. False when it could not be created.
    bool Start(Procedure procedure, void* parameter);
    bool IsValid() const { return m_hThread != nullptr; }
    // Waits until the thread has ended.
    bool Join();
    void Close();

private:
    void* m_hThread = nullptr;
};
