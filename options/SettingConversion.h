#pragma once
// Text-to-boolean and text-to-integer conversions of stored settings, as the platform's
// conversions do them: "True"/"False" in any letter case, or a number (zero is false).
#include <stdexcept>
#include <string>

namespace quillmere {

// A stored value that cannot be converted ("Type mismatch", "Overflow").
class ConversionError : public std::runtime_error {
  public:
    ConversionError(int number, const std::string& description)
        : std::runtime_error(description), number_(number) {}
    int Number() const { return number_; }

  private:
    int number_;
};

bool ToBoolean(const std::string& text);
// Rounds a fractional number half to even; throws for text outside -32768..32767.
int ToInteger(const std::string& text);
// "True" or "False".
std::string BooleanText(bool value);

}  // namespace quillmere
