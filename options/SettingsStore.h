#pragma once
// Per-user settings: text values under the application name "Vantrell" and the section
// "Quillmere". Written the moment a choice changes.
#include <string>

namespace quillmere {

class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // The stored text of the key, or defaultValue when the key is absent.
    virtual std::string GetSetting(const std::string& key, const std::string& defaultValue) = 0;
    // Stores the value at once; throws std::runtime_error when it cannot be written.
    virtual void SaveSetting(const std::string& key, const std::string& value) = 0;
};

}  // namespace quillmere
