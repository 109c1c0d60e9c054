#pragma once
// UTF-16 code units to UTF-8, one unit at a time, so that callers reading either byte order (a
// file, a stored Access value) need no buffer of units. A surrogate that is not half of a pair
// becomes U+FFFD.
#include <string>

#include "textcodec/Utf8.h"

namespace textcodec {

class Utf16ToUtf8 {
  public:
    explicit Utf16ToUtf8(std::string& out) : out_(out) {}

    void Push(char16_t unit) {
        if (pendingHigh_ != 0) {
            const char32_t high = pendingHigh_;
            pendingHigh_ = 0;
            if (unit >= 0xDC00 && unit <= 0xDFFF) {
                AppendUtf8(out_, 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
                return;
            }
            AppendUtf8(out_, kReplacementCharacter);
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            pendingHigh_ = unit;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            AppendUtf8(out_, kReplacementCharacter);
        } else {
            AppendUtf8(out_, unit);
        }
    }

    // Ends the text: a high surrogate still waiting for its partner becomes U+FFFD.
    void Finish() {
        if (pendingHigh_ != 0) {
            pendingHigh_ = 0;
            AppendUtf8(out_, kReplacementCharacter);
        }
    }

  private:
    std::string& out_;
    char16_t pendingHigh_ = 0;
};

}  // namespace textcodec
