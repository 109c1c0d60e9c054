// The registry settings store, against the registry itself: each test works in a key of its own
// below the place GetSetting uses, removed afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <random>

#include "filelist/SampleFiles.h"
#include "options/RegistrySettingsStore.h"
#include "options/UserSettingsStore.h"
#include "textcodec/WideText.h"

namespace quillmere {
namespace {

class RegistrySettingsStoreTest : public ::testing::Test {
  protected:
    RegistrySettingsStoreTest()
        : key_(std::string("Software\\VB and VBA Program Settings\\Vantrell\\QuillmereTest-") +
               std::to_string(std::random_device{}())),
          store_(key_) {}
    ~RegistrySettingsStoreTest() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, textcodec::Utf8ToWide(key_).c_str());
    }

    // The value as the registry holds it: its type and its text.
    std::pair<DWORD, std::wstring> Stored(const std::string& name) {
        wchar_t text[256] = {};
        DWORD bytes = sizeof text;
        DWORD type = 0;
        const LSTATUS status =
            RegGetValueW(HKEY_CURRENT_USER, textcodec::Utf8ToWide(key_).c_str(),
                         textcodec::Utf8ToWide(name).c_str(), RRF_RT_ANY, &type, text, &bytes);
        EXPECT_EQ(status, ERROR_SUCCESS) << name;
        return {type, std::wstring(text)};
    }

    // A value written as another program (VB's SaveSetting) writes it.
    void WriteDirectly(const std::string& name, DWORD type, const void* data, DWORD bytes) {
        HKEY handle = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, textcodec::Utf8ToWide(key_).c_str(), 0,
                                  nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExW(handle, textcodec::Utf8ToWide(name).c_str(), 0, type,
                                 static_cast<const BYTE*>(data), bytes),
                  ERROR_SUCCESS);
        RegCloseKey(handle);
    }

    std::string key_;
    RegistrySettingsStore store_;
};

TEST_F(RegistrySettingsStoreTest, AbsentKeysAndAnAbsentSectionReadAsTheDefault) {
    EXPECT_EQ(store_.GetSetting("Database", ""), "");
    EXPECT_EQ(store_.GetSetting("Other", "|"), "|");
    // Reading creates nothing.
    HKEY handle = nullptr;
    EXPECT_EQ(
        RegOpenKeyExW(HKEY_CURRENT_USER, textcodec::Utf8ToWide(key_).c_str(), 0, KEY_READ, &handle),
        ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistrySettingsStoreTest, ValuesAreStringsAsGetSettingKeepsThemAndComeBackAsTyped) {
    store_.SaveSetting("Option1", "True");
    store_.SaveSetting("Password", " p\xC3\xA4ss w\xE2\x82\xAC rd ");  // "pÃ¤ss wâ‚¬ rd" as typed
    store_.SaveSetting("Other", "");
    store_.SaveSetting("LastFolder", "C:\\Users\\J\xC3\xBCrgen\\\xE6\x97\xA5\xE6\x9C\xAC");
    EXPECT_EQ(Stored("Option1"), std::make_pair(DWORD{REG_SZ}, std::wstring(L"True")));
    EXPECT_EQ(Stored("Password"),
              std::make_pair(DWORD{REG_SZ}, std::wstring(L" p\u00E4ss w\u20AC rd ")));
    EXPECT_EQ(store_.GetSetting("Password", "x"), " p\xC3\xA4ss w\xE2\x82\xAC rd ");
    // An empty value is a value, not an absent key.
    EXPECT_EQ(store_.GetSetting("Other", "|"), "");
    EXPECT_EQ(store_.GetSetting("LastFolder", ""),
              "C:\\Users\\J\xC3\xBCrgen\\\xE6\x97\xA5\xE6\x9C\xAC");
    store_.SaveSetting("Option1", "False");
    EXPECT_EQ(store_.GetSetting("Option1", "1"), "False");
    // Value names are looked up without regard to letter case, as the registry does.
    EXPECT_EQ(store_.GetSetting("OPTION1", "1"), "False");
}

TEST_F(RegistrySettingsStoreTest, ReadsWhatAnEarlierProgramStoredAndIgnoresOtherTypes) {
    const std::wstring text = L"D:\\data\\old.mdb";
    WriteDirectly("Database", REG_SZ, text.c_str(),
                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    const DWORD number = 1;
    WriteDirectly("Check2", REG_DWORD, &number, sizeof number);
    // A long value, beyond any first guess of a buffer.
    const std::wstring longText(5000, L'x');
    WriteDirectly("Text1", REG_SZ, longText.c_str(),
                  static_cast<DWORD>((longText.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(store_.GetSetting("Database", ""), "D:\\data\\old.mdb");
    EXPECT_EQ(store_.GetSetting("Check2", "0"), "0");
    EXPECT_EQ(store_.GetSetting("Text1", ""), std::string(5000, 'x'));
}

// The installer's sample record is scrambled to codes 128 to 255; the registry must hold one
// character per code (no U+FFFD from a UTF-8 reading) and give the same paths back.
TEST_F(RegistrySettingsStoreTest, TheSampleRecordKeepsOneCharacterPerCode) {
    const std::vector<std::string> paths{"C:\\Program Files\\Quillmere\\Samples\\customers.csv",
                                         "C:\\Users\\J\xC3\xBCrgen\\stock.csv"};
    store_.SaveSetting("Snapshot", SnapshotRecord(paths));
    const auto [type, text] = Stored("Snapshot");
    EXPECT_EQ(type, DWORD{REG_SZ});
    EXPECT_EQ(text.size(), paths[0].size() + 1 + paths[1].size() - 1);  // "ü" is one code
    EXPECT_EQ(text.find(L'\uFFFD'), std::wstring::npos);
    EXPECT_EQ(SnapshotPaths(store_.GetSetting("Snapshot", "")), paths);
    // A name no single-byte code page holds is refused rather than recorded as "?".
    EXPECT_THROW(SnapshotRecord({"C:\\\xE6\x97\xA5\\a.csv"}), std::runtime_error);
}

TEST_F(RegistrySettingsStoreTest, AnEmptyNameIsRefusedRatherThanWrittenAsTheKeysDefault) {
    EXPECT_THROW(store_.SaveSetting("", "x"), std::runtime_error);
}

TEST(UserSettingsStoreWindows, IsTheRegistryKeyOfGetSetting) {
    const auto store = MakeUserSettingsStore();
    const auto* registry = dynamic_cast<RegistrySettingsStore*>(store.get());
    ASSERT_NE(registry, nullptr);
    EXPECT_EQ(registry->Key(), "Software\\VB and VBA Program Settings\\Vantrell\\Quillmere");
    EXPECT_EQ(UserSettingsPlace(),
              "HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Vantrell\\Quillmere");
}

}  // namespace
}  // namespace quillmere
