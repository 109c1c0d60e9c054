#include "options/RegistrySettingsStore.h"
#include "options/UserSettingsStore.h"

namespace quillmere {

std::unique_ptr<SettingsStore> MakeUserSettingsStore() {
    return std::make_unique<RegistrySettingsStore>();
}

std::string UserSettingsPlace() {
    return std::string("HKEY_CURRENT_USER\\") + RegistrySettingsStore::kDefaultKey;
}

}  // namespace quillmere
