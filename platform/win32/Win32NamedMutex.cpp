// A machine-wide named mutex on Windows.
#include <windows.h>

#include "platform/NamedMutex.h"

namespace {
void Release(void*& mutex) {
    if (mutex != nullptr) {
        CloseHandle(static_cast<HANDLE>(mutex));
        mutex = nullptr;
    }
}
} // namespace

CNamedMutex::~CNamedMutex() {
    Release(m_hMutex);
}

MutexClaim CNamedMutex::Claim(const WChar* name) {
    // A second claim replaces the first rather than leaking its handle.
    Release(m_hMutex);
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
    const DWORD error = GetLastError();
    if (mutex == nullptr) {
        // One made by a service under SYSTEM exists but refuses us the access we asked for.
        return error == ERROR_ACCESS_DENIED ? MutexClaim::HeldElsewhere : MutexClaim::Failed;
    }
    if (error == ERROR_ALREADY_EXISTS) {
        // We were handed the other process's mutex: holding its handle would only keep it
        // alive after that process ends.
        CloseHandle(mutex);
        return MutexClaim::HeldElsewhere;
    }
    m_hMutex = mutex;
    return MutexClaim::Claimed;
}
