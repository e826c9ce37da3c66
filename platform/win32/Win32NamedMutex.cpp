// A named mutex that only SYSTEM and administrators can make, on Windows.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <string>

#include "platform/NamedMutex.h"
#include "platform/win32/SystemLibrary.h"

namespace {

// Owned by the Administrators group, open to SYSTEM and administrators alone: the namespace and
// the mutex in it, or the mutex in the global namespace.
const wchar_t kAdministratorsOnly[] = L"O:BAD:(A;;GA;;;SY)(A;;GA;;;BA)";
const wchar_t kGlobalPrefix[] = L"Global\\";
const wchar_t kNamespaceSeparator[] = L"\\";
// A namespace that another setup made but closed before we could open it is made again, at
// most this many times.
constexpr int kNamespaceTries = 3;

// Windows Vista and later have these in kernel32; Wine 8 has no CreatePrivateNamespaceW, and
// calling an import it lacks ends the process, so they are looked up instead.
using CreateBoundaryDescriptorFunction = HANDLE WINAPI(LPCWSTR, ULONG);
using AddSidToBoundaryDescriptorFunction = BOOL WINAPI(HANDLE*, PSID);
using DeleteBoundaryDescriptorFunction = VOID WINAPI(HANDLE);
using CreatePrivateNamespaceFunction = HANDLE WINAPI(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR);
using OpenPrivateNamespaceFunction = HANDLE WINAPI(LPVOID, LPCWSTR);
using ClosePrivateNamespaceFunction = BOOLEAN WINAPI(HANDLE, ULONG);

// Security attributes made from kAdministratorsOnly; null descriptor when that failed.
class CAdministratorsOnly {
public:
    CAdministratorsOnly() {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (ConvertStringSecurityDescriptorToSecurityDescriptorW(
                kAdministratorsOnly, SDDL_REVISION_1, &descriptor, nullptr)) {
            m_attributes.lpSecurityDescriptor = descriptor;
        }
    }
    ~CAdministratorsOnly() { LocalFree(m_attributes.lpSecurityDescriptor); }
    CAdministratorsOnly(const CAdministratorsOnly&) = delete;
    CAdministratorsOnly& operator=(const CAdministratorsOnly&) = delete;

    SECURITY_ATTRIBUTES* Get() {
        return m_attributes.lpSecurityDescriptor != nullptr ? &m_attributes : nullptr;
    }

private:
    SECURITY_ATTRIBUTES m_attributes = {sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
};

// Makes the private namespace `name` within `boundary`, or opens it when another setup made it.
HANDLE CreateOrOpenNamespace(SECURITY_ATTRIBUTES* attributes, HANDLE boundary,
                             const wchar_t* name) {
    auto* createNamespace =
        KernelFunction<CreatePrivateNamespaceFunction>("CreatePrivateNamespaceW");
    auto* openNamespace = KernelFunction<OpenPrivateNamespaceFunction>("OpenPrivateNamespaceW");
    if (createNamespace == nullptr || openNamespace == nullptr) {
        return nullptr;
    }
    for (int attempt = 0; attempt < kNamespaceTries; ++attempt) {
        HANDLE space = createNamespace(attributes, boundary, name);
        if (space != nullptr || GetLastError() != ERROR_ALREADY_EXISTS) {
            return space;
        }
        space = openNamespace(boundary, name);
        // Not found: it went away with the last setup that had it open; make it anew.
        if (space != nullptr || GetLastError() != ERROR_PATH_NOT_FOUND) {
            return space;
        }
    }
    return nullptr;
}

// The private namespace `name` whose boundary is the Administrators group: only a process of
// an administrator or of SYSTEM is within it and can make it. Null where Windows has no private
// namespaces or refuses us this one.
HANDLE AdministratorsNamespace(SECURITY_ATTRIBUTES* attributes, const wchar_t* name) {
    auto* createBoundary =
        KernelFunction<CreateBoundaryDescriptorFunction>("CreateBoundaryDescriptorW");
    auto* addSid = KernelFunction<AddSidToBoundaryDescriptorFunction>("AddSIDToBoundaryDescriptor");
    auto* deleteBoundary =
        KernelFunction<DeleteBoundaryDescriptorFunction>("DeleteBoundaryDescriptor");
    if (createBoundary == nullptr || addSid == nullptr || deleteBoundary == nullptr) {
        return nullptr;
    }
    HANDLE boundary = createBoundary(name, 0);
    if (boundary == nullptr) {
        return nullptr;
    }
    BYTE administrators[SECURITY_MAX_SID_SIZE] = {};
    DWORD size = sizeof(administrators);
    HANDLE space = nullptr;
    if (CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) &&
        addSid(&boundary, administrators)) {
        space = CreateOrOpenNamespace(attributes, boundary, name);
    }
    deleteBoundary(boundary);
    return space;
}

void CloseNamespace(void*& space) {
    auto* closeNamespace = KernelFunction<ClosePrivateNamespaceFunction>("ClosePrivateNamespace");
    if (space != nullptr && closeNamespace != nullptr) {
        closeNamespace(static_cast<HANDLE>(space), 0);
    }
    space = nullptr;
}

void Release(void*& mutex) {
    if (mutex != nullptr) {
        CloseHandle(static_cast<HANDLE>(mutex));
        mutex = nullptr;
    }
}

// What an existing mutex of our name is: another setup's when SYSTEM or the Administrators
// group owns it (no one else can give it such an owner), else something to ignore.
MutexClaim JudgeOwner(HANDLE mutex, unsigned long& error) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    error = GetSecurityInfo(mutex, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                            nullptr, nullptr, &descriptor);
    const bool setup = error == ERROR_SUCCESS && owner != nullptr &&
                       (IsWellKnownSid(owner, WinLocalSystemSid) ||
                        IsWellKnownSid(owner, WinBuiltinAdministratorsSid));
    LocalFree(descriptor);
    if (setup) {
        return MutexClaim::HeldElsewhere;
    }
    error = error == ERROR_SUCCESS ? ERROR_ALREADY_EXISTS : error;
    return MutexClaim::Foreign;
}

} // namespace

CNamedMutex::~CNamedMutex() {
    Release(m_hMutex);
    CloseNamespace(m_hNamespace);
}

MutexClaim CNamedMutex::Claim(const WChar* name) {
    // A second claim replaces the first rather than leaking its handles.
    Release(m_hMutex);
    CloseNamespace(m_hNamespace);
    m_nError = ERROR_SUCCESS;
    CAdministratorsOnly security;
    if (security.Get() == nullptr) {
        m_nError = GetLastError();
        return MutexClaim::Failed;
    }
    // The namespace stays open while we hold the mutex, so that it outlives whichever setup
    // made it.
    m_hNamespace = AdministratorsNamespace(security.Get(), name);
    const std::wstring fullName =
        (m_hNamespace != nullptr ? std::wstring(name) + kNamespaceSeparator
                                 : std::wstring(kGlobalPrefix)) +
        name;
    HANDLE mutex = CreateMutexW(security.Get(), FALSE, fullName.c_str());
    DWORD error = GetLastError();
    if (mutex != nullptr && error != ERROR_ALREADY_EXISTS) {
        m_hMutex = mutex;
        return MutexClaim::Claimed;
    }
    if (mutex == nullptr && error == ERROR_ACCESS_DENIED) {
        // It exists but refuses us full access (one that an earlier version made as SYSTEM,
        // with default security): reading its owner is all we need.
        mutex = OpenMutexW(SYNCHRONIZE | READ_CONTROL, FALSE, fullName.c_str());
        error = mutex != nullptr ? ERROR_SUCCESS : GetLastError();
    }
    MutexClaim claim = MutexClaim::Failed;
    if (mutex != nullptr) {
        // Handed another process's mutex: holding its handle would only keep it alive after
        // that process ends.
        claim = JudgeOwner(mutex, m_nError);
        CloseHandle(mutex);
    } else {
        // ERROR_INVALID_HANDLE: the name is another type's; ERROR_ACCESS_DENIED (here): it
        // refuses us even a look.
        m_nError = error;
        if (error == ERROR_INVALID_HANDLE || error == ERROR_ACCESS_DENIED) {
            claim = MutexClaim::Foreign;
        }
    }
    CloseNamespace(m_hNamespace);
    return claim;
}
