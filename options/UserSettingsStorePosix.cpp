#include "options/IniSettingsStore.h"
#include "options/UserSettingsStore.h"

namespace quillmere {

std::unique_ptr<SettingsStore> MakeUserSettingsStore() {
    return std::make_unique<IniSettingsStore>();
}

std::string UserSettingsPlace() {
    return IniSettingsStore::DefaultFile().string();
}

}  // namespace quillmere
