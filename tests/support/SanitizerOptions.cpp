// Sanitizer settings for every test program, whatever starts it (CTest, a
// debugger, a shell): allocation failures come back as null so the code's own
// checks run, and caches that system libraries keep until exit are not leaks.
extern "C" {

const char* __asan_default_options()
{
    return "allocator_may_return_null=1:detect_leaks=1";
}

const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n"
           "leak:libQt6Core\n"
           "leak:libQt6Gui\n"
           "leak:libQt6Widgets\n"
           "leak:libglib\n";
}

const char* __ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}
}
