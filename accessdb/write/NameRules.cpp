#include "accessdb/write/NameRules.h"

#include "accessdb/Error.h"
#include "accessdb/Text.h"
#include "accessdb/index/IndexKey.h"

namespace accessdb {

namespace {
constexpr long kInvalidName = 3125;

[[noreturn]] void Refuse(const std::string& name, const char* what, const std::string& why) {
    throw Error(ErrorKind::Constraint,
                "'" + name + "' is not a valid " + what + " name (" + why +
                    "). Make sure that it does not include invalid characters or punctuation "
                    "and that it is not too long.",
                kInvalidName);
}
}  // namespace

void CheckObjectName(const std::string& name, const char* what) {
    const std::u16string units = Utf8ToUtf16(name);
    if (units.empty()) {
        Refuse(name, what, "it is empty");
    }
    if (units.size() > kMaxNameLength) {
        Refuse(name, what, "it is longer than 64 characters");
    }
    if (units.front() == u' ') {
        Refuse(name, what, "it starts with a space");
    }
    bool blank = true;
    for (const char16_t c : units) {
        if (c < 0x20) {
            Refuse(name, what, "it holds a control character");
        }
        if (c == u'.' || c == u'!' || c == u'`' || c == u'[' || c == u']') {
            Refuse(name, what,
                   std::string("it holds the character '") + static_cast<char>(c) + "'");
        }
        if (c != u' ') {
            blank = false;
        }
    }
    if (blank) {
        Refuse(name, what, "it is blank");
    }
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() == b.size() && a == b) {
        return true;
    }
    KeyBytes keyA;
    KeyBytes keyB;
    AppendTextKey(Utf8ToUtf16(a), TextSortOrder::General, true, keyA);
    AppendTextKey(Utf8ToUtf16(b), TextSortOrder::General, true, keyB);
    return keyA == keyB;
}

}  // namespace accessdb
