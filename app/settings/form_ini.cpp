#include "app/settings/form_ini.h"

#include "app/settings/ini_files.h"
#include "app/settings/settings_dir.h"

TkqFormIni::TkqFormIni() : fileName_(::IniFileName()) {}

TkqFormIni::TkqFormIni(const std::string& iniFileName) : fileName_(iniFileName) {}

void TkqFormIni::LoadPlacement(TPlacementWindow& window) const {
    const TIniFile32 ini(fileName_);
    const std::string section = window.PlacementName();
    if (ini.ReadBool(section, "State", false)) {
        window.MaximizePlacement();
        return;
    }
    const int32_t left = ini.ReadInteger(section, "Left", window.PlacementLeft());
    const int32_t top = ini.ReadInteger(section, "Top", window.PlacementTop());
    const int32_t width = ini.ReadInteger(section, "Width", window.PlacementWidth());
    const int32_t height = ini.ReadInteger(section, "Height", window.PlacementHeight());
    window.SetPlacementBounds(left, top, width, height);
}

void TkqFormIni::SavePlacement(const TPlacementWindow& window) const {
    TIniFile32 ini(fileName_);
    const std::string section = window.PlacementName();
    const bool maximized = window.PlacementMaximized();
    ini.WriteBool(section, "State", maximized);
    if (maximized)
        return;
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
