#include "app/settings/form_ini.h"

#include "app/settings/ini_files.h"
#include "app/settings/settings_dir.h"

TkqFormIni::TkqFormIni() : fileName_(::IniFileName()) {}

TkqFormIni::TkqFormIni(const std::string& iniFileName) : fileName_(iniFileName) {}

void TkqFormIni::LoadPlacement(TPlacementWindow& window) const {
    const TIniFile32 ini(fileName_);
    const std::string section = window.PlacementName();
    // The normal placement comes first, also for a maximised window: it is where the window
    // returns when the user restores it.
    const int32_t left = ini.ReadInteger(section, "Left", window.PlacementLeft());
    const int32_t top = ini.ReadInteger(section, "Top", window.PlacementTop());
    const int32_t width = ini.ReadInteger(section, "Width", window.PlacementWidth());
    const int32_t height = ini.ReadInteger(section, "Height", window.PlacementHeight());
    window.SetPlacementBounds(left, top, width, height);
    if (ini.ReadBool(section, "State", false))
        window.MaximizePlacement();
}

void TkqFormIni::SavePlacement(const TPlacementWindow& window) const {
    TIniFile32 ini(fileName_);
    const std::string section = window.PlacementName();
    // A maximised window saves its normal placement too (the window answers it while
    // maximised), so restoring it next time gives back the size the user last chose.
    ini.WriteBool(section, "State", window.PlacementMaximized());
    ini.WriteInteger(section, "Left", window.PlacementLeft());
    ini.WriteInteger(section, "Top", window.PlacementTop());
    ini.WriteInteger(section, "Width", window.PlacementWidth());
    ini.WriteInteger(section, "Height", window.PlacementHeight());
}

void TkqFormIni::ReadSetting(const std::string& section, const std::string& key,
                             std::string& value) const {
    const TIniFile32 ini(fileName_);
    value = ini.ReadString(section, key, value);
}

void TkqFormIni::WriteSetting(const std::string& section, const std::string& key,
                              const std::string& value) const {
    TIniFile32 ini(fileName_);
    ini.WriteString(section, key, value);
}
