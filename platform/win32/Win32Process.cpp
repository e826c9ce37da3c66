// Starting a system program on Windows: CreateProcessW on its full path in the system
// directory, suspended until it is in a kill-on-close job object of its own.
#include <windows.h>

#include <string>

#include "platform/Process.h"
#include "platform/win32/SystemLibrary.h"

namespace {
const wchar_t kQuote[] = L"\"";
const wchar_t kBlank[] = L" ";
constexpr wchar_t kPathSeparator = L'\\';
// The exit code of a program we end: it ran past its time.
constexpr UINT kEndedExitCode = ERROR_TIMEOUT;
// Termination only begins when TerminateJobObject returns; the process is gone once it is
// signalled, which takes milliseconds unless it is stuck in a driver.
constexpr DWORD kTerminationWaitMs = 5000;
// What ResumeThread returns when it fails.
constexpr DWORD kResumeFailed = static_cast<DWORD>(-1);

// A job that ends its processes when its last handle closes; null with the last error set.
HANDLE NewKillOnCloseJob() {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (job == nullptr) {
        return nullptr;
    }
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits))) {
        const DWORD error = GetLastError();
        CloseHandle(job);
        SetLastError(error);
        return nullptr;
    }
    return job;
}

// What CreateProcessW needs for one start of the program.
struct Launch {
    std::wstring path;
    std::wstring directory;
    std::wstring commandLine;

    // Creates the process suspended, with `flags` besides.
    bool Create(DWORD flags, PROCESS_INFORMATION& process) {
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNORMAL;
        process = {};
        return CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                              CREATE_SUSPENDED | flags, nullptr, directory.c_str(), &startup,
                              &process) != FALSE;
    }
};

// Puts the suspended process in `job`; one that cannot go in is ended before it ran at all.
bool PutInJob(HANDLE job, PROCESS_INFORMATION& process) {
    if (AssignProcessToJobObject(job, process.hProcess)) {
        return true;
    }
    TerminateProcess(process.hProcess, kEndedExitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    process = {};
    return false;
}
} // namespace

bool CSystemProgram::Start(const WChar* program, const WChar* parameters, unsigned long& error) {
    Close();
    error = ERROR_SUCCESS;
    Launch launch;
    if (!SystemDirectoryPath(program, launch.path)) {
        error = GetLastError();
        return false;
    }
    // Its own folder, the system directory, is its current folder too.
    launch.directory = launch.path.substr(0, launch.path.rfind(kPathSeparator));
    // A program reads its own name from the head of its command line, quoted in case of blanks.
    launch.commandLine = kQuote + launch.path + kQuote + kBlank + parameters;
    HANDLE job = NewKillOnCloseJob();
    PROCESS_INFORMATION process = {};
    if (job == nullptr || !launch.Create(0, process)) {
        error = GetLastError();
        if (job != nullptr) {
            CloseHandle(job);
        }
        return false;
    }
    // Refused only before Windows 8, for a process that inherited a deployment engine's job.
    if (!PutInJob(job, process) &&
        !(launch.Create(CREATE_BREAKAWAY_FROM_JOB, process) && PutInJob(job, process))) {
        CloseHandle(job);
        job = nullptr;
        if (!launch.Create(0, process)) {
            error = GetLastError();
            return false;
        }
    }
    m_hProcess = process.hProcess;
    m_hJob = job;
    const bool resumed = ResumeThread(process.hThread) != kResumeFailed;
    error = resumed ? ERROR_SUCCESS : GetLastError();
    CloseHandle(process.hThread);
    if (!resumed) {
        End();
        Close();
    }
    return resumed;
}

bool CSystemProgram::Wait(unsigned long milliseconds) {
    return m_hProcess == nullptr || WaitForSingleObject(m_hProcess, milliseconds) == WAIT_OBJECT_0;
}

bool CSystemProgram::End() {
    if (m_hProcess == nullptr) {
        return true;
    }
    if (m_hJob != nullptr) {
        TerminateJobObject(m_hJob, kEndedExitCode);
    } else {
        TerminateProcess(m_hProcess, kEndedExitCode);
    }
    return Wait(kTerminationWaitMs);
}

void CSystemProgram::Close() {
    if (m_hJob != nullptr) {
        CloseHandle(m_hJob);
        m_hJob = nullptr;
    }
    if (m_hProcess != nullptr) {
        CloseHandle(m_hProcess);
        m_hProcess = nullptr;
    }
}
