#pragma once
// The reader's own small files under $XDG_STATE_HOME: private to the user, and replaced whole,
// so that a crash or a full disk never leaves half a file behind.
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

// Creates dir (mode 0700) and any missing parents. True when it exists as a directory.
bool MakePrivateDirectory(const std::string& dir);

// Replaces path's contents with data: written to a fresh temporary file beside it (mode 0600,
// never through a link) that is then renamed over it. False, with path unchanged, when any
// step fails.
bool ReplaceFileContents(const std::string& path, const std::string& data);
// The same with the contents in pieces, written one after the other.
bool ReplaceFileContents(const std::string& path, std::span<const std::string_view> pieces);

// Writes all of data to fd, going on after short writes and interruptions. False on an error.
bool WriteAll(int fd, std::string_view data);

// The contents of a regular file of at most maxBytes, read without following a link and without
// waiting on a FIFO someone planted under the name. False (text unspecified) otherwise.
bool ReadRegularFile(const std::string& path, size_t maxBytes, std::string& text);
