#include <windows.h>

#include <stdexcept>
#include <system_error>
#include <vector>

#include "options/RegistrySettingsStore.h"
#include "textcodec/WideText.h"

namespace quillmere {
namespace {

std::string Describe(const std::string& place, const std::string& key, LSTATUS status) {
    return "Cannot save the setting \"" + key + "\" in the registry key HKEY_CURRENT_USER\\" +
           place + ": " + std::system_category().message(static_cast<int>(status));
}

}  // namespace

RegistrySettingsStore::RegistrySettingsStore(std::string key) : key_(std::move(key)) {}

std::string RegistrySettingsStore::GetSetting(const std::string& key,
                                              const std::string& defaultValue) {
    const std::wstring subkey = textcodec::Utf8ToWide(key_);
    const std::wstring name = textcodec::Utf8ToWide(key);
    // GetSetting stores REG_SZ; a value of any other type, or one that cannot be read, counts as
    // absent, as it does for GetSetting itself. The value may change between the size and the
    // read: then the read is tried again with the new size.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD bytes = 0;
        LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, subkey.c_str(), name.c_str(),
                                      RRF_RT_REG_SZ, nullptr, nullptr, &bytes);
        if (status != ERROR_SUCCESS) {
            return defaultValue;
        }
        std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 1, L'\0');
        bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        status = RegGetValueW(HKEY_CURRENT_USER, subkey.c_str(), name.c_str(), RRF_RT_REG_SZ,
                              nullptr, text.data(), &bytes);
        if (status == ERROR_MORE_DATA) {
            continue;
        }
        if (status != ERROR_SUCCESS) {
            return defaultValue;
        }
        // The size counts the terminating NUL that RegGetValue guarantees.
        const std::size_t units = bytes / sizeof(wchar_t);
        return textcodec::WideToUtf8(std::wstring_view(text.data(), units > 0 ? units - 1 : 0));
    }
    return defaultValue;
}

void RegistrySettingsStore::SaveSetting(const std::string& key, const std::string& value) {
    // The empty name is the key's default value, which GetSetting never names.
    if (key.empty()) {
        throw std::runtime_error("Cannot save a setting without a name");
    }
    HKEY handle = nullptr;
    LSTATUS status =
        RegCreateKeyExW(HKEY_CURRENT_USER, textcodec::Utf8ToWide(key_).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &handle, nullptr);
    if (status != ERROR_SUCCESS) {
        throw std::runtime_error(Describe(key_, key, status));
    }
    const std::wstring text = textcodec::Utf8ToWide(value);
    status = RegSetValueExW(handle, textcodec::Utf8ToWide(key).c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
    if (status != ERROR_SUCCESS) {
        throw std::runtime_error(Describe(key_, key, status));
    }
}

}  // namespace quillmere
