// The sanitizer runtimes' settings for the host tests: an allocation that cannot be had gives
// null, as it does without them, so the tests of sizes the system reports run under them too.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}

extern "C" const char* __tsan_default_options() {
    return "allocator_may_return_null=1";
}
