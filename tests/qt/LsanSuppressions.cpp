// LeakSanitizer asks for this when it starts (sanitizer builds only; elsewhere
// nothing calls it). fontconfig keeps a small cache from Qt's font setup
// until the process ends, and libdbus one from Qt's X11 platform (the
// window-title test under Xvfb): not ours, and not leaks that grow.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\nleak:libdbus-1.so\n"; }
