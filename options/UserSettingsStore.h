#pragma once
// The current user's settings store of this system: the registry on Windows, the INI file
// elsewhere.
#include <memory>
#include <string>

#include "options/SettingsStore.h"

namespace quillmere {

std::unique_ptr<SettingsStore> MakeUserSettingsStore();
// Where that store keeps the settings, for messages ("C:\...", "HKEY_CURRENT_USER\...").
std::string UserSettingsPlace();

}  // namespace quillmere
