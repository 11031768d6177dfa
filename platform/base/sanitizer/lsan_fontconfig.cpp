// Compiled into the programs of the sanitizer build (foliobuilder, Folio3.bin, the test programs
// that draw text and the fuzz targets), never into a library: they end cleanly, so they can be
// run on hostile input directly and a leak report means a leak of ours.
//
// fontconfig loses a few small blocks while it parses its configuration and keeps its caches of
// patterns (through the graphics layer's fonts and FLTK's Xft fonts) until the process ends.
// Those are the library's: leak checking ignores stacks that end in libfontconfig and still
// reports every other leak.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
