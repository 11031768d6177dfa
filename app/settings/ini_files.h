#pragma once
// TIniFile32: the builder's own small INI reader and writer. It keeps the whole file as a list
// of lines and saves it after every write.
//
// Format: lines ended by CR LF. A header is a line whose trimmed text starts with "[" and ends
// with "]"; a section is found only by a line that is exactly "[name]" (name compared ignoring
// case, no blanks around). Any other line is an entry: the trimmed text before the first "="
// is its key (empty when there is no "="), the trimmed text after it its value. Keys compare
// case-sensitively and only the first entry with a key counts.
#include <cstdint>
#include <string>

#include "platform/base/string_list.h"

class TIniFile32 {
public:
    // Loads the lines when the file exists; a missing file reads as empty.
    explicit TIniFile32(const std::string& fileName);

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& def) const;
    // "0x"/"0X" followed by at least one more character is hexadecimal; text that is no
    // integer (an empty value included) gives def.
    int32_t ReadInteger(const std::string& section, const std::string& key, int32_t def) const;
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;

    // Each write saves the whole file; a file that cannot be written raises EFCreateError
    // "Cannot create file %s" and leaves the old file as it was.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int32_t value);
    void WriteBool(const std::string& section, const std::string& key, bool value);

    const std::string& FileName() const { return fileName_; }
    const TStringList& Lines() const { return lines_; }

private:
    int FindSection(const std::string& section) const;
    void Save() const;

    std::string fileName_;
    TStringList lines_;
};
