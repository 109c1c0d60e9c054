#pragma once
// A settings store in memory for tests: every write is kept in order, and writes can be made to
// fail.
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "options/SettingsStore.h"

namespace quillmere::testing {

class MemorySettingsStore : public SettingsStore {
  public:
    std::string GetSetting(const std::string& key, const std::string& defaultValue) override {
        auto it = values.find(key);
        return it == values.end() ? defaultValue : it->second;
    }
    void SaveSetting(const std::string& key, const std::string& value) override {
        if (failWrites) {
            throw std::runtime_error("Cannot save the settings file: permission denied");
        }
        values[key] = value;
        writes.emplace_back(key, value);
    }
    bool Has(const std::string& key) const { return values.count(key) != 0; }

    std::map<std::string, std::string> values;
    std::vector<std::pair<std::string, std::string>> writes;
    bool failWrites = false;
};

}  // namespace quillmere::testing
