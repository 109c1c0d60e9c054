#pragma once
// The caption of message boxes that name none.
#include <string>
#include <string_view>

namespace quillmere {

// Cuts the product name at its last blank, keeping what stands before it, at least once and
// again while the result is longer than 40 characters. A name without a blank is kept whole
// ("Quillmere" stays "Quillmere").
std::string MakeApplicationTitle(std::string_view productName);

// The title the database page set while loading; the product name until then.
const std::string& ApplicationTitle();
void SetApplicationTitle(const std::string& title);

}  // namespace quillmere
