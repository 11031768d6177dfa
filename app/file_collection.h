#pragma once
// Which files a site book takes, and the walk that gathers them from a source directory.
#include <string>

#include "platform/base/string_list.h"

// True for the twelve kinds of file a book can show or play: .htm .html .txt .css .bmp .gif
// .jpg .jpeg .png .wav .mid .mp3, judged on the name's last extension ignoring case.
bool IsPackableFile(const std::string& name);

// Appends every packable file below dir (given without a trailing separator) to files, depth
// first in the order the file system lists the entries: a subdirectory's files land where the
// walk met the subdirectory. Hidden entries are skipped, links to directories are never
// descended, and a directory that cannot be read adds nothing.
void CollectFiles(const std::string& dir, TStringList& files);
