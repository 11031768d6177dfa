// TIniFile32: reads by scanning the kept lines; writes edit the lines and save them whole,
// through a temporary file renamed over the old one so that no reader and no crash ever sees
// half a settings file.
#include "app/settings/ini_files.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/base/exceptions.h"
#include "platform/base/files.h"
#include "platform/base/strings.h"

namespace {

bool IsHeader(const std::string& line) {
    const std::string t = Trim(line);
    return t.size() >= 2 && t.front() == '[' && t.back() == ']';
}

std::string KeyOf(const std::string& line) {
    const size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : Trim(std::string_view(line).substr(0, eq));
}

std::string ValueOf(const std::string& line) {
    const size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : Trim(std::string_view(line).substr(eq + 1));
}

// A line break inside a section name, key or value would add lines of its own to the file
// (Linux directory names may hold one); blanks keep the file's structure intact.
std::string OneLine(const std::string& s) {
    std::string out = s;
    for (char& c : out) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return out;
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool WriteAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Writes data to path atomically: a temporary file in the same directory, flushed to disk,
// given the old file's permissions, then renamed over the old file.
bool ReplaceFile(const std::string& path, const std::string& data) {
    std::string target = path;
    struct stat st;
    mode_t mode = NewFileMode();
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        // Replace the file the link names, not the link.
        const std::string real = RealPath(path);
        if (!real.empty())
            target = real;
    }
    if (::stat(target.c_str(), &st) == 0) {
        // A file its owner made read-only stays unchanged, as the toolkit's save would fail.
        if (S_ISDIR(st.st_mode) || ::access(target.c_str(), W_OK) != 0)
            return false;
        mode = st.st_mode & 07777;
    }
    std::string tmpl = ExtractFilePath(target) + "." + ExtractFileName(target) + ".XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    const std::string tmp(name.data());
    bool ok = WriteAll(fd, data) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    if (::close(fd) != 0)
        ok = false;
    if (ok)
        ok = ::rename(tmp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(tmp.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here loses nothing that is already written.
    const std::string dir = ExtractFileDir(target);
    const int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

} // namespace

TIniFile32::TIniFile32(const std::string& fileName) : fileName_(fileName) {
    if (FileExists(fileName_))
        lines_.LoadFromFile(fileName_);
}

int TIniFile32::FindSection(const std::string& section) const {
    const std::string header = "[" + section + "]";
    for (int i = 0; i < lines_.Count(); ++i) {
        if (SameText(lines_[i], header))
            return i;
    }
    return -1;
}

std::string TIniFile32::ReadString(const std::string& section, const std::string& key,
                                   const std::string& def) const {
    const int start = FindSection(section);
    if (start < 0)
        return def;
    for (int i = start + 1; i < lines_.Count(); ++i) {
        const std::string& line = lines_[i];
        if (IsHeader(line))
            break;
        if (KeyOf(line) == key) {
            std::string value = ValueOf(line);
            return value.empty() ? def : value;
        }
    }
    return def;
}

int32_t TIniFile32::ReadInteger(const std::string& section, const std::string& key,
                                int32_t def) const {
    std::string text = ReadString(section, key, std::string());
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text = "$" + text.substr(2);
    return StrToIntDef(text, def);
}

bool TIniFile32::ReadBool(const std::string& section, const std::string& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile32::WriteString(const std::string& section, const std::string& key,
                             const std::string& value) {
    const std::string sec = OneLine(section);
    const std::string k = OneLine(key);
    const std::string entry = k + "=" + OneLine(value);
    const int start = FindSection(sec);
    if (start < 0) {
        lines_.Add("");
        lines_.Add("[" + sec + "]");
        if (!k.empty())
            lines_.Add(entry);
    } else {
        int i = start + 1;
        while (i < lines_.Count() && !IsHeader(lines_[i]) && KeyOf(lines_[i]) != k)
            ++i;
        if (i >= lines_.Count() || IsHeader(lines_[i])) {
            // Directly before the next header, so after the empty line that precedes it.
            if (!k.empty())
                lines_.Insert(i, entry);
        } else if (!k.empty()) {
            lines_.SetString(i, entry);
        }
    }
    Save();
}

void TIniFile32::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
    WriteString(section, key, IntToStr(value));
}

void TIniFile32::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void TIniFile32::Save() const {
    if (!ReplaceFile(fileName_, lines_.Text()))
        throw EFCreateError("Cannot create file " + fileName_);
}
