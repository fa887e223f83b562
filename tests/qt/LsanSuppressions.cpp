// LeakSanitizer asks for this when it starts (sanitizer builds only; elsewhere
// nothing calls it). fontconfig keeps a small cache from Qt's font setup
// until the process ends: not ours, and not a leak that grows.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
