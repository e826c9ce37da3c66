// A mutex that all sessions of the machine share by name and that only SYSTEM and
// administrators can make, so that only one program at a time does what it guards.
#pragma once

#include "platform/Text.h"

// What came of claiming the name.
enum class MutexClaim {
    Claimed,       // this process made it and holds it
    HeldElsewhere, // another setup has it: a mutex of that name owned by SYSTEM or by the
                   // Administrators group
    Foreign,       // something else has the name (a mutex of another owner, an object of
                   // another type, one that refuses us even a look): it guards no setup, and
                   // nothing is held
    Failed,        // it could not be made for another reason; nothing is held
};

// Holds the mutex from a successful Claim until it goes out of scope.
class CNamedMutex {
public:
    CNamedMutex() = default;
    ~CNamedMutex();
    CNamedMutex(const CNamedMutex&) = delete;
    CNamedMutex& operator=(const CNamedMutex&) = delete;

    // Creates the mutex `name` (a plain name: no backslash, no "Global\") owned by the
    // Administrators group, with access for SYSTEM and administrators alone, not owned by any
    // thread, and keeps its handle when this process is the first to make it.
    // It lives in the private namespace `name` whose boundary is the Administrators group and
    // which only SYSTEM and administrators may open: only they can make that namespace, or
    // anything in it, and it is the machine's, not a session's. Where Windows offers no private
    // namespace or refuses us one (Wine 8 lacks CreatePrivateNamespaceW), it is "Global\name",
    // where any user may have made an object first: such an object counts as another setup only
    // when it is a mutex owned by SYSTEM or by the Administrators group.
    MutexClaim Claim(const WChar* name);
    // The platform's error code behind Foreign or Failed, 0 after the other claims: for Foreign,
    // ERROR_ALREADY_EXISTS (a mutex of another owner), ERROR_INVALID_HANDLE (an object of
    // another type) or ERROR_ACCESS_DENIED (one that refuses us a look at its owner).
    unsigned long Error() const { return m_nError; }

private:
    void* m_hMutex = nullptr;
    void* m_hNamespace = nullptr;
    unsigned long m_nError = 0;
};
