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
#include <cstdlib>

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
} // namespace std
#endif
