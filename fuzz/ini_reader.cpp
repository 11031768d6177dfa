// Loads arbitrary bytes as an INI file, reads a few keys in every way, then writes one entry
// (into a private temporary directory) and reads it back.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

#include "app/settings/ini_files.h"
#include "platform/base/exceptions.h"
#include "platform/base/files.h"
#include "platform/base/strings.h"

namespace {

// The directory name lives in a plain array so the exit handler can still read it. Memory-backed
// /dev/shm is preferred: every write syncs the file and its folder, which on a disk costs far
// more than everything else one input does.
char g_workDir[] = "/dev/shm/folio-ini-fuzz-XXXXXX";

const char* WorkDir() {
    static const bool made = [] {
        if (::mkdtemp(g_workDir) == nullptr) {
            std::memcpy(g_workDir, "/tmp/folio", 10); // same length as "/dev/shm/f"
            if (::mkdtemp(g_workDir) == nullptr)
                std::abort();
        }
        std::atexit([] { ::rmdir(g_workDir); });
        return true;
    }();
    (void)made;
    return g_workDir;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = std::string(WorkDir()) + "/fuzz.ini";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    // Section and key names come from the input too, so odd names get exercised.
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string section = text.substr(0, text.size() < 8 ? text.size() : 8);
    TIniFile32 ini(path);
    const char* keys[] = {"Left", "Top", "Width", "Height", "State", "lastDir", ""};
    for (const char* sec : {"FolioerF", "Settings", section.c_str()}) {
        for (const char* key : keys) {
            (void)ini.ReadString(sec, key, "d");
            (void)ini.ReadInteger(sec, key, 7);
            (void)ini.ReadBool(sec, key, true);
        }
    }
    const std::string value = text.substr(0, text.size() < 32 ? text.size() : 32);
    try {
        ini.WriteString(section, "lastDir", value);
    } catch (const EFCreateError&) {
        std::abort(); // the path is always writable; names inside the file cannot break that
    }
    if (section.find_first_of("\r\n") == std::string::npos) {
        // What was written reads back, trimmed, with line breaks turned into blanks.
        std::string expected = value;
        for (char& c : expected) {
            if (c == '\r' || c == '\n')
                c = ' ';
        }
        expected = Trim(expected);
        const TIniFile32 again(path);
        if (again.ReadString(section, "lastDir", "") != expected)
            std::abort();
    }
    DeleteFile(path);
    return 0;
}
