// A mutex that all sessions of the machine share by name, so that only one program at a time
// does what it guards.
#pragma once

#include "platform/Text.h"

// What came of claiming the name.
enum class MutexClaim {
    Claimed,       // this process made it and holds it
    HeldElsewhere, // another process has it: creating it failed with ERROR_ALREADY_EXISTS, or
                   // with ERROR_ACCESS_DENIED (one made by SYSTEM refuses others full access)
    Failed,        // it could not be made for another reason; nothing is held
};

// Holds the mutex from a successful Claim until it goes out of scope.
class CNamedMutex {
public:
    CNamedMutex() = default;
    ~CNamedMutex();
    CNamedMutex(const CNamedMutex&) = delete;
    CNamedMutex& operator=(const CNamedMutex&) = delete;

    // Creates the mutex `name` (CreateMutexW, default security, not owned) and keeps its
    // handle when this process is the first to make it.
    MutexClaim Claim(const WChar* name);

private:
    void* m_hMutex = nullptr;
};
