#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "options/IniSettingsStore.h"
#include "options/SettingConversion.h"
#include "support/TempFolder.h"

namespace quillmere {
namespace {
using testing::TempFolder;

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(IniSettingsStore, AbsentKeysReadAsTheDefaultAndNothingIsWrittenByReading) {
    TempFolder folder;
    IniSettingsStore store(folder / "Vantrell/Quillmere.ini");
    EXPECT_EQ(store.GetSetting("Database", ""), "");
    EXPECT_EQ(store.GetSetting("Option1", "1"), "1");
    EXPECT_FALSE(std::filesystem::exists(store.File()));
}

TEST(IniSettingsStore, WritesTheSectionAtOnceWithOwnerOnlyAccess) {
    TempFolder folder;
    IniSettingsStore store(folder / "Vantrell/Quillmere.ini");
    store.SaveSetting("Password", "s3cret");
    EXPECT_EQ(ReadFile(store.File()), "[Quillmere]\nPassword=s3cret\n");
    struct stat info {};
    ASSERT_EQ(::stat(store.File().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    store.SaveSetting("Database", "/data/shop.accdb");
    store.SaveSetting("Password", "s3cret2");
    EXPECT_EQ(ReadFile(store.File()), "[Quillmere]\nPassword=s3cret2\nDatabase=/data/shop.accdb\n");
    // A second store on the same file (the next run) sees the values.
    IniSettingsStore nextRun(store.File());
    EXPECT_EQ(nextRun.GetSetting("Password", ""), "s3cret2");
    EXPECT_FALSE(std::filesystem::exists(store.File().string() + ".tmp"));
}

TEST(IniSettingsStore, ValuesComeBackByteForByte) {
    TempFolder folder;
    IniSettingsStore store(folder / "Quillmere.ini");
    const std::string awkward[] = {"",
                                   "  leading and trailing blanks  ",
                                   "a=b;c=[d]",
                                   "back\\slash \\n not a line break",
                                   "two\nlines\r\nand CR",
                                   "#not a comment",
                                   "[Quillmere]",
                                   std::string("\x01\x7f\x80\xfe\xff|", 6)};
    int n = 0;
    for (const auto& value : awkward) {
        store.SaveSetting("Key" + std::to_string(n++), value);
    }
    n = 0;
    for (const auto& value : awkward) {
        EXPECT_EQ(store.GetSetting("Key" + std::to_string(n++), "absent"), value);
    }
    // Plain values are stored as typed: a reader of the file sees the same text.
    EXPECT_NE(ReadFile(store.File()).find("Key2=a=b;c=[d]\n"), std::string::npos);
}

TEST(IniSettingsStore, KeepsOtherSectionsAndDoesNotConfuseKeysThatShareAPrefix) {
    TempFolder folder;
    const auto file =
        folder.Write("Quillmere.ini", "; kept\n[Other]\nOption1=x\n[Quillmere]\nOption11=True\n");
    IniSettingsStore store(file);
    EXPECT_EQ(store.GetSetting("Option1", "1"), "1");
    store.SaveSetting("Option1", "False");
    EXPECT_EQ(store.GetSetting("Option1", "1"), "False");
    EXPECT_EQ(store.GetSetting("Option11", "0"), "True");
    EXPECT_EQ(ReadFile(file),
              "; kept\n[Other]\nOption1=x\n[Quillmere]\nOption11=True\nOption1=False\n");
}

TEST(IniSettingsStore, DefaultFileFollowsXdgConfigHome) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string savedValue = saved != nullptr ? saved : "";
    ::setenv("XDG_CONFIG_HOME", "/tmp/xdg-test", 1);
    EXPECT_EQ(IniSettingsStore::DefaultFile(), "/tmp/xdg-test/Vantrell/Quillmere.ini");
    ::setenv("XDG_CONFIG_HOME", "", 1);
    const char* home = std::getenv("HOME");
    EXPECT_EQ(IniSettingsStore::DefaultFile(), std::filesystem::path(home != nullptr ? home : ".") /
                                                   ".config/Vantrell/Quillmere.ini");
    if (saved != nullptr) {
        ::setenv("XDG_CONFIG_HOME", savedValue.c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_HOME");
    }
}

TEST(IniSettingsStore, AWriteThatFailsThrowsNamingTheFileAndKeepsTheOldValue) {
    if (::geteuid() == 0) {
        // root writes into read-only folders; use a path below a plain file instead.
        TempFolder folder;
        const auto blocker = folder.Write("blocker", "x");
        IniSettingsStore store(std::filesystem::path(blocker) / "Quillmere.ini");
        try {
            store.SaveSetting("Database", "x");
            FAIL() << "no error";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(blocker), std::string::npos) << e.what();
        }
        return;
    }
    TempFolder folder;
    IniSettingsStore store(folder / "Quillmere.ini");
    store.SaveSetting("Database", "old");
    std::filesystem::permissions(
        folder.Path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_THROW(store.SaveSetting("Database", "new"), std::runtime_error);
    EXPECT_EQ(store.GetSetting("Database", ""), "old");
}

TEST(SettingConversion, BooleansAsThePlatformConvertsThem) {
    EXPECT_TRUE(ToBoolean("True"));
    EXPECT_TRUE(ToBoolean("TRUE"));
    EXPECT_FALSE(ToBoolean("false"));
    EXPECT_TRUE(ToBoolean("1"));  // the number defaults
    EXPECT_FALSE(ToBoolean("0"));
    EXPECT_TRUE(ToBoolean("-1"));
    EXPECT_TRUE(ToBoolean(" 2.5 "));
    for (const char* bad : {"yes", "", "x", "1x", "0x10", "nan", "inf"}) {
        EXPECT_THROW(ToBoolean(bad), ConversionError) << bad;
    }
    EXPECT_EQ(BooleanText(true), "True");
    EXPECT_EQ(BooleanText(false), "False");
}

TEST(SettingConversion, IntegersRoundHalfToEvenAndRefuseText) {
    EXPECT_EQ(ToInteger("0"), 0);
    EXPECT_EQ(ToInteger("1"), 1);
    EXPECT_EQ(ToInteger(" 2.5"), 2);
    EXPECT_EQ(ToInteger("3.5"), 4);
    EXPECT_EQ(ToInteger("-32768"), -32768);
    EXPECT_THROW(ToInteger("32768"), ConversionError);
    try {
        ToInteger("x");
        FAIL();
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.Number(), 13);
        EXPECT_NE(std::string(e.what()).find("Type mismatch"), std::string::npos);
    }
}

}  // namespace
}  // namespace quillmere
