// The simulated Windows machine: its settings, what the program did to it, and the simulated
// user who answers message boxes and drives modal wizards. Tests reset it before each case.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/NamedMutex.h"
#include "platform/Text.h"
#include "platform/WindowsVersion.h"
#include "platform/Wow64.h"

namespace sim {

class SimSheet;

constexpr unsigned kCodePageChinese = 936;
constexpr unsigned kCodePageWestern = 1252;

// Platform operations a test can make fail (the spooler keeps refusals of its own, and the
// print UI and the devices are configured in SimPrintUI.h and SimDevices.h).
enum class Operation {
    CreateEvent,        // CreateEventW
    CreateThread,       // CreateThread
    SetTimer,           // SetTimer
    PostMessage,        // PostMessageW to a page
    OpenFile,           // CreateFileW of a file for reading
    CreateFile,         // CreateFileW of a file to append to
    CreateMutex,        // CreateMutexW
    ListUsbPrinters,    // SetupDiGetClassDevsW
    UsbInterfacePath,   // SetupDiGetDeviceInterfaceDetailW
    LocateDeviceRoot,   // CM_Locate_DevNodeW (the error is the CONFIGRET)
    ReenumerateDevices, // CM_Reenumerate_DevNode (the error is the CONFIGRET)
    UpdateDeviceDriver, // UpdateDriverForPlugAndPlayDevicesW
};

// Fail every call of an operation from now on, not only one of them.
constexpr unsigned kEveryTime = 0;

constexpr unsigned long kErrorFileNotFound = 2;     // ERROR_FILE_NOT_FOUND
constexpr unsigned long kErrorAlreadyExists = 183;  // ERROR_ALREADY_EXISTS
constexpr unsigned kSemFailCriticalErrors = 0x0001; // SEM_FAILCRITICALERRORS
constexpr unsigned kSemNoOpenFileErrorBox = 0x8000; // SEM_NOOPENFILEERRORBOX
constexpr unsigned long kDefaultProcessId = 4242;

// Who owns a named kernel object that another process made, and what kind of object it is.
enum class ObjectOwner { System, Administrators, OtherUser };
enum class ObjectKind { Mutex, Event };

// How long (real time) a simulated wait without a time-out may block before the machine
// gives up on it and counts a hang, so that a test fails instead of hanging.
constexpr unsigned long kHangLimitMs = 20000;

struct MessageBoxRecord {
    WString ownerCaption; // empty for a box without owner
    WString text;
    WString caption;
    unsigned style = 0;
};

class Machine {
public:
    static Machine& Get();
    // Back to a freshly started machine.
    void Reset();

    // Full path of the running executable; empty makes the platform fail to tell it.
    WString modulePath;

    // The ANSI code page of the machine (936: Simplified Chinese; 1252: Western European).
    unsigned ansiCodePage = kCodePageChinese;

    // Whether the program runs as a 32-bit program on 64-bit Windows (IsWow64Process).
    bool wow64 = false;
    // The machine the program was built for, and IsWow64Process2's answer: whether it gives
    // one at all (it is missing before Windows 10 1709), the process's machine under WOW64
    // and Windows' own machine.
    MachineType programMachine = kMachineAmd64;
    bool isWow64Process2Answers = true;
    MachineType processMachine = kMachineUnknown;
    MachineType nativeMachine = kMachineAmd64;
    // The running Windows, as RtlGetVersion tells it (Reset: Windows 10 22H2, a workstation).
    WindowsVersion windowsVersion;

    // The command line as GetCommandLineW gives it (Reset: the program's path in quotes, as
    // Explorer starts it), and the current folder.
    WString commandLine;
    WString currentDirectory;

    // Values under HKEY_LOCAL_MACHINE, by key and name; both match without regard to case,
    // as in Windows' registry.
    struct RegistryValue {
        bool isDword = true; // false: a value of another type
        std::uint32_t data = 0;
    };
    void SetRegistryValue(const WString& key, const WString& value, RegistryValue data);
    bool FindRegistryValue(const WString& key, const WString& value, RegistryValue& data) const;

    // The process's id (GetCurrentProcessId) and error mode (SetErrorMode).
    unsigned long processId = kDefaultProcessId;
    unsigned errorMode = 0;

    // Named kernel objects, in the one namespace of a Windows without private namespaces (as
    // Wine), where any user may make an object under a name first. Names match with case, as
    // kernel object names do. Each holder counts: this process's claims (a mutex owned by the
    // Administrators group), and other processes (HoldMutexElsewhere).
    void HoldMutexElsewhere(const WString& name, ObjectOwner owner = ObjectOwner::System,
                            ObjectKind kind = ObjectKind::Mutex);
    // Claims the mutex as CNamedMutex::Claim does; `error` as its Error() tells.
    MutexClaim TakeMutex(const WString& name, unsigned long& error);
    void ReleaseMutex(const WString& name);

    // The machine's files, by full path; paths match without regard to case, as on Windows.
    void WriteFile(const WString& path, const std::string& bytes);
    bool ReadFile(const WString& path, std::string& bytes) const;
    void DeleteFile(const WString& path);
    // Whether the folder ("C:\\Logs", "C:" for the drive's root) exists: a drive's root, the
    // current folder or one above it, or a folder that holds a file.
    bool FolderExists(const WString& folder) const;
    // Appends to the file, making it when missing; true when it was there before.
    bool AppendToFile(const WString& path, const std::string& bytes);

    // Who answers message boxes (default: the OK button). Called on the thread that shows
    // the box.
    std::function<int(const MessageBoxRecord&)> answerMessageBox;

    // Calls made to register the common control classes.
    int commonControlsRegistrations = 0;

    // The user of modal wizards: called again and again while a wizard runs modally; returns
    // false when it has nothing more to do, which abandons the wizard (SheetAbandoned), so a
    // test can never hang in a modal loop.
    std::function<bool(SimSheet&)> user;
    int abandonedSheets = 0;

    // Records a message box and returns the user's answer. Any thread may show one.
    int ShowMessageBox(const MessageBoxRecord& box);
    std::vector<MessageBoxRecord> MessageBoxes() const;

    // Simulated time in milliseconds. Sleeping and timed waits move it on; nothing really
    // waits for it.
    std::atomic<unsigned long long> clockMs{0};
    // Called on the sleeping thread each time a thread sleeps, after the clock moved on.
    std::function<void(unsigned long milliseconds)> onSleep;

    // Makes `operation` fail with `error`: every time from now on, or only the nth time from
    // now (1: the next call). A new failure of the same operation replaces the earlier one.
    void Fail(Operation operation, unsigned long error, unsigned nthCall = kEveryTime);
    // Whether this call of `operation` fails, and with which error.
    bool TakeFailure(Operation operation, unsigned long& error);
    bool TakeFailure(Operation operation);

    // Worker threads: each runs on a real thread. Handles of events and threads are counted so
    // a test can tell that the program closed what it opened.
    using ThreadBody = std::function<void()>;
    // Starts a thread and returns its record (owned by the machine until Reset).
    struct ThreadRecord;
    ThreadRecord* StartThread(ThreadBody body);
    static bool WaitForThread(ThreadRecord& thread);
    static bool IsThreadRunning(const ThreadRecord& thread);
    int RunningThreads() const { return m_nRunningThreads.load(); }
    // Waits until every thread started so far has ended (bounded by kHangLimitMs each).
    void JoinThreads();
    std::atomic<int> openEvents{0};
    std::atomic<int> openThreadHandles{0};
    // Waits that blocked past kHangLimitMs; each one is a hang the program would have had.
    std::atomic<int> hangs{0};

private:
    struct Failure {
        unsigned long error = 0;
        unsigned nthCall = kEveryTime;
        unsigned callsSeen = 0;
    };

    Machine();
    static WString FileKey(const WString& path);
    // A registry value's key and name, each folded to capitals as the registry compares them.
    using RegistryName = std::pair<WString, WString>;
    static RegistryName RegistryKey(const WString& key, const WString& value);

    // Guards the files, the registry, the mutexes, the boxes, the failures and the threads.
    mutable std::mutex m_mutex;
    std::map<WString, std::string> m_files;
    std::map<RegistryName, RegistryValue> m_registry;
    struct NamedObject { // by default, the mutex this process claims
        ObjectOwner owner = ObjectOwner::Administrators;
        ObjectKind kind = ObjectKind::Mutex;
    };
    std::multimap<WString, NamedObject> m_namedObjects;
    std::vector<MessageBoxRecord> m_messageBoxes;
    std::map<Operation, Failure> m_failures;
    std::vector<std::unique_ptr<ThreadRecord>> m_threads;
    std::atomic<int> m_nRunningThreads{0};
};

} // namespace sim
