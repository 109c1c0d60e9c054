#pragma once
// The settings store on Windows: string values in the per-user registry key
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\Vantrell\Quillmere, where the system's
// GetSetting and SaveSetting keep an application's settings, so the choices an earlier Windows
// program of this name stored are found. Every call goes to the registry: nothing is cached.
#ifdef _WIN32
#include <string>

#include "options/SettingsStore.h"

namespace quillmere {

class RegistrySettingsStore : public SettingsStore {
  public:
    static constexpr const char* kDefaultKey =
        "Software\\VB and VBA Program Settings\\Vantrell\\Quillmere";

    // `key`: the key below HKEY_CURRENT_USER (another one only for tests).
    explicit RegistrySettingsStore(std::string key = kDefaultKey);

    std::string GetSetting(const std::string& key, const std::string& defaultValue) override;
    void SaveSetting(const std::string& key, const std::string& value) override;

    const std::string& Key() const { return key_; }

  private:
    std::string key_;
};

}  // namespace quillmere
#endif
