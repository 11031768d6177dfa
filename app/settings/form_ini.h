#pragma once
// TkqFormIni: window placement and single settings in the program's INI file. Every call opens
// the file anew (a fresh TIniFile32 reads it) and releases it when done.
#include <string>

#include "app/settings/placement_window.h"

class TkqFormIni {
public:
    // The INI file of the running program (see settings_dir.h).
    TkqFormIni();
    // A given INI file, for tests and tools.
    explicit TkqFormIni(const std::string& iniFileName);

    // Sets left, top, width and height from "Left", "Top", "Width" and "Height", the window's
    // current values being the defaults, then maximises the window when "State" is set.
    void LoadPlacement(TPlacementWindow& window) const;
    // Writes "State", then "Left", "Top", "Width" and "Height" in that order: the window's
    // normal placement, also while it is maximised.
    void SavePlacement(const TPlacementWindow& window) const;
    // Replaces value by the stored string; keeps it when none is stored.
    void ReadSetting(const std::string& section, const std::string& key, std::string& value) const;
    void WriteSetting(const std::string& section, const std::string& key,
                      const std::string& value) const;

    const std::string& IniFileName() const { return fileName_; }

private:
    std::string fileName_;
};
