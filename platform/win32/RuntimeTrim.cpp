// The parts of the GNU C++ runtime that the shipped program replaces with its own, smaller
// ones (MinGW builds only; tests keep the runtime's).
//
// The program throws no exceptions and catches none, so any exception would end it through
// std::terminate. The runtime's terminate handler first prints the exception's type to a
// console a windowed program does not have, and brings a demangler and printf into the
// program for it; the runtime's __throw_* helpers, which the standard library calls on
// impossible lengths and positions, bring the exception classes and a second string
// implementation with them. Together they are a third of the program. Here both end the
// program at once, as an uncaught exception would.
//
// The runtime's operator new throws std::bad_alloc when memory runs out, and its nothrow form
// catches that to return null: they bring the exception machinery (on i686 the DWARF unwinder),
// and with it the POSIX threads library, which guards the exception pool and each thread's
// exception state. The program sets no new-handler, so the ones here do what those do: the
// throwing forms end the program, the nothrow forms return null.
//
// The runtime's own std::wstring is built with exceptions: its functions free what they
// allocated when an exception passes through them, so they name the exception machinery (the
// personality routine, the catch and rethrow calls, _Unwind_Resume), which brings the unwinder,
// each thread's exception state in emulated thread-local storage and, for its locks and keys,
// the POSIX threads library: some 37 KB of the 64-bit program, 66 KB of the 32-bit one.
// Nothing in the program throws (every way in above ends it instead), so those clean-ups can
// never run, and the stand-ins below end the program should one be reached. Windows itself
// calls the 64-bit personality routine for any exception that passes through such a function
// (an access violation, say); the runtime's answers "not mine, search on" for every exception
// that is not a C++ one, and so does this one. Should anything bring the runtime's exception
// code back (a static local initialised at run time does, for its thread-safe guard), the link
// fails with a second definition of one of these names.
#include <windows.h>

#include <cstdlib>
#include <new>
#include <unwind.h>

#if defined(__GLIBCXX__)
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx

namespace std {
void __throw_bad_exception() {
    abort();
}
void __throw_bad_alloc() {
    abort();
}
void __throw_bad_array_new_length() {
    abort();
}
void __throw_bad_cast() {
    abort();
}
void __throw_bad_typeid() {
    abort();
}
void __throw_logic_error(const char*) {
    abort();
}
void __throw_domain_error(const char*) {
    abort();
}
void __throw_invalid_argument(const char*) {
    abort();
}
void __throw_length_error(const char*) {
    abort();
}
void __throw_out_of_range(const char*) {
    abort();
}
void __throw_out_of_range_fmt(const char*, ...) {
    abort();
}
void __throw_runtime_error(const char*) {
    abort();
}
void __throw_range_error(const char*) {
    abort();
}
void __throw_overflow_error(const char*) {
    abort();
}
void __throw_underflow_error(const char*) {
    abort();
}
void __throw_bad_function_call() {
    abort();
}
} // namespace std

namespace {
// malloc may answer a request for no bytes with null; operator new must not.
void* Allocate(std::size_t size) noexcept {
    return std::malloc(size != 0 ? size : 1);
}

void* AllocateOrEnd(std::size_t size) noexcept {
    void* memory = Allocate(size);
    if (memory == nullptr) {
        std::abort();
    }
    return memory;
}
} // namespace

void* operator new(std::size_t size) {
    return AllocateOrEnd(size);
}
void* operator new[](std::size_t size) {
    return AllocateOrEnd(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}

extern "C" {
#if defined(__SEH__)
EXCEPTION_DISPOSITION __gxx_personality_seh0(PEXCEPTION_RECORD, void*, PCONTEXT,
                                             PDISPATCHER_CONTEXT) {
    return ExceptionContinueSearch;
}
#else
_Unwind_Reason_Code __gxx_personality_v0(int, _Unwind_Action, _Unwind_Exception_Class,
                                         _Unwind_Exception*, _Unwind_Context*) {
    abort();
}
#endif
void* __cxa_begin_catch(void*) {
    abort();
}
void __cxa_end_catch() {
    abort();
}
void __cxa_rethrow() {
    abort();
}
void _Unwind_Resume(_Unwind_Exception*) {
    abort();
}
}
#endif
