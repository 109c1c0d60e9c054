#pragma once
// The settings store on Linux: the per-user file $XDG_CONFIG_HOME/Vantrell/Quillmere.ini
// (~/.config when the variable is unset or empty), keys in the section [Quillmere]. The file is
// read on every GetSetting and rewritten on every SaveSetting, so a value is on disk the moment
// it changes. It holds the database password, so only its owner may read it (mode 0600).
#include <filesystem>
#include <map>
#include <string>

#include "options/SettingsStore.h"

namespace quillmere {

class IniSettingsStore : public SettingsStore {
  public:
    // The file of the current user.
    IniSettingsStore();
    explicit IniSettingsStore(std::filesystem::path file);

    std::string GetSetting(const std::string& key, const std::string& defaultValue) override;
    void SaveSetting(const std::string& key, const std::string& value) override;

    const std::filesystem::path& File() const { return file_; }
    static std::filesystem::path DefaultFile();

  private:
    std::filesystem::path file_;
};

// Values go into the file byte for byte; only what would break a line is escaped: a backslash
// becomes "\\", a line feed "\n", a carriage return "\r".
std::string EscapeIniValue(const std::string& value);
std::string UnescapeIniValue(const std::string& stored);

}  // namespace quillmere
