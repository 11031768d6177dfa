// fontconfig loses a few small blocks while it parses its configuration and keeps its caches
// of patterns (through the graphics layer's fonts and FLTK's Xft fonts) until the process ends.
// Those are the library's, not ours: leak checking in these test programs ignores stacks that
// end in libfontconfig, and still reports every other leak.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
