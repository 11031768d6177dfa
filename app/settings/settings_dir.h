#pragma once
// Where the builder keeps its settings: beside the program when that directory is writable,
// else in $XDG_CONFIG_HOME/foliobuilder/ (by default ~/.config/foliobuilder/). The INI file
// lives there (older builders also left "folioauthor.html" there; a build now writes its
// configuration to a private temporary file).
#include <string>

// The settings directory for a program file, with a trailing "/". The per-user directory is
// created (mode 0700) when it is the one chosen and does not exist yet.
std::string SettingsDirectoryFor(const std::string& programPath);
// The INI file for a program file: its name with the extension replaced by ".ini" (appended when
// it has none), in SettingsDirectoryFor(programPath).
std::string IniFileNameFor(const std::string& programPath);

// The same for the running program.
std::string SettingsDirectory();
std::string IniFileName();
