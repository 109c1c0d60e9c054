#pragma once
// The "Application Error" report that trapping handlers show before going on with their
// next step.
#include <string>
#include <string_view>

#include "app/Prompts.h"

namespace quillmere {

inline constexpr std::string_view kProductName = "Quillmere";
inline constexpr std::string_view kSupportEmail = "support@quillmere.app";
inline constexpr std::string_view kApplicationErrorCaption = "Application Error";

// "in Korvath2021/08/31.Form2.PushButton3_Click " for page "Form2", handler "PushButton3_Click".
std::string HandlerLocation(std::string_view page, std::string_view handler);

// The folder walk's own location text.
inline constexpr std::string_view kFolderWalkLocation =
    "in Tavisk2021/08/31.AddFolder.GetSubDirectories2016 ";

// description, CR LF, location, "at line ", line, CR, CR, "Please email screenshot ..." + e-mail.
std::string ApplicationErrorText(std::string_view description, std::string_view location, int line);

// Shows the box: caption "Application Error", OK, exclamation icon.
void ReportApplicationError(Prompts& prompts, std::string_view description,
                            std::string_view location, int line);

}  // namespace quillmere
