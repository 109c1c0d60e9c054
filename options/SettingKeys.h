#pragma once
// The keys of the settings store with the defaults their readers pass.
#include <string_view>

namespace quillmere::settings {

inline constexpr std::string_view kDatabase = "Database";
inline constexpr std::string_view kPassword = "Password";
inline constexpr std::string_view kOption1 = "Option1";
inline constexpr std::string_view kOption2 = "Option2";
inline constexpr std::string_view kOption3 = "Option3";
inline constexpr std::string_view kOption4 = "Option4";
inline constexpr std::string_view kOption5 = "Option5";
inline constexpr std::string_view kOption11 = "Option11";
inline constexpr std::string_view kOption12 = "Option12";
inline constexpr std::string_view kOption13 = "Option13";
inline constexpr std::string_view kOption14 = "Option14";
inline constexpr std::string_view kOption15 = "Option15";
inline constexpr std::string_view kOther = "Other";
inline constexpr std::string_view kText1 = "Text1";
inline constexpr std::string_view kText2 = "Text2";
inline constexpr std::string_view kCheck2 = "Check2";
inline constexpr std::string_view kExtension = "Extension";
inline constexpr std::string_view kLastFolder = "LastFolder";
inline constexpr std::string_view kSnapshot = "Snapshot";

// Number defaults read back as their decimal text; the boolean readers convert "1"/"0".
inline constexpr std::string_view kTrueDefault = "1";
inline constexpr std::string_view kFalseDefault = "0";
inline constexpr std::string_view kOtherDefault = "|";
inline constexpr std::string_view kText1Default = "NewField[counter]";
inline constexpr std::string_view kText2Default = "NewTable[counter]";
inline constexpr std::string_view kExtensionDefault = "csv";

}  // namespace quillmere::settings
