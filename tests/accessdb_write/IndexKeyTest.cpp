#include <gtest/gtest.h>

#include "accessdb/index/IndexKey.h"

using namespace accessdb;

namespace {

KeyBytes Text(std::u16string_view text, TextSortOrder order, bool ascending = true) {
    KeyBytes key;
    AppendTextKey(text, order, ascending, key);
    return key;
}

}  // namespace

TEST(IndexKey, SortOrdersWeHaveTablesFor) {
    EXPECT_EQ(FindTextSortOrder(1033, 0), TextSortOrder::GeneralLegacy);
    EXPECT_EQ(FindTextSortOrder(1033, 1), TextSortOrder::General);
    EXPECT_FALSE(FindTextSortOrder(1049, 0).has_value());
    EXPECT_FALSE(FindTextSortOrder(1033, 2).has_value());
}

TEST(IndexKey, LongKeysSortAsSignedNumbers) {
    KeyBytes key;
    AppendLongKey(0x0F000000, true, key);
    EXPECT_EQ(key, (KeyBytes{0x7F, 0x8F, 0x00, 0x00, 0x00}));
    KeyBytes minus, plus;
    AppendLongKey(-1, true, minus);
    AppendLongKey(1, true, plus);
    EXPECT_LT(minus, plus);
    KeyBytes descending;
    AppendLongKey(1, false, descending);
    EXPECT_EQ(descending, (KeyBytes{0x80, 0x7F, 0xFF, 0xFF, 0xFE}));
    KeyBytes null;
    AppendNullKey(true, null);
    EXPECT_EQ(null, KeyBytes{0x00});
}

// The catalog entry Access wrote for "DataAccessPages" (General Legacy).
TEST(IndexKey, GeneralLegacyMatchesAnAccessWrittenKey) {
    EXPECT_EQ(Text(u"DataAccessPages", TextSortOrder::GeneralLegacy),
              (KeyBytes{0x7F, 0x4F, 0x4A, 0x6D, 0x4A, 0x4A, 0x4D, 0x4D, 0x51, 0x6B, 0x6B, 0x66,
                        0x4A, 0x55, 0x51, 0x6B, 0x01, 0x00}));
}

TEST(IndexKey, CaseCollapsesAndTrailingSpacesAreIgnored) {
    for (const auto order : {TextSortOrder::GeneralLegacy, TextSortOrder::General}) {
        EXPECT_EQ(Text(u"Table1", order), Text(u"TABLE1  ", order));
        EXPECT_LT(Text(u"Apple", order), Text(u"banana", order));
        EXPECT_LT(Text(u"Item10", order), Text(u"Item2", order));  // text, not numbers
    }
    EXPECT_EQ(Text(u"a", TextSortOrder::General), (KeyBytes{0x7F, 0x0E, 0x02, 0x01, 0x00}));
    EXPECT_EQ(Text(u"0", TextSortOrder::GeneralLegacy), (KeyBytes{0x7F, 0x36, 0x01, 0x00}));
}

TEST(IndexKey, AccentsGoToTheExtraBytes) {
    // 'é' is 'e' inline with extra byte 0x0E; a plain 'e' before it gets the placeholder 0x02.
    EXPECT_EQ(Text(u"\u00e9", TextSortOrder::GeneralLegacy),
              (KeyBytes{0x7F, 0x51, 0x01, 0x0E, 0x00}));
    EXPECT_EQ(Text(u"e\u00e9", TextSortOrder::GeneralLegacy),
              (KeyBytes{0x7F, 0x51, 0x51, 0x01, 0x02, 0x0E, 0x00}));
    // Accented and plain words are distinct keys that sort next to each other.
    EXPECT_NE(Text(u"resume", TextSortOrder::General),
              Text(u"r\u00e9sum\u00e9", TextSortOrder::General));
}

TEST(IndexKey, NonLatinTextAndEmojiEncode) {
    for (const auto order : {TextSortOrder::GeneralLegacy, TextSortOrder::General}) {
        const KeyBytes cyrillic = Text(u"Привет", order);
        const KeyBytes kanji = Text(u"漢字", order);
        const KeyBytes emoji = Text(u"x\U0001F600", order);
        EXPECT_GT(cyrillic.size(), 8u);
        EXPECT_NE(kanji, emoji);
        EXPECT_EQ(emoji.back(), 0x00);
        EXPECT_EQ(Text(u"\u0001ab", order).front(), 0x7F);  // control characters are allowed
    }
}

TEST(IndexKey, DescendingInvertsTheValueBytes) {
    const KeyBytes up = Text(u"ab", TextSortOrder::GeneralLegacy, true);
    const KeyBytes down = Text(u"ab", TextSortOrder::GeneralLegacy, false);
    ASSERT_EQ(down.size(), up.size() + 1);
    EXPECT_EQ(down.front(), 0x80);
    for (std::size_t i = 1; i + 1 < up.size(); ++i) {
        EXPECT_EQ(down[i], static_cast<std::uint8_t>(~up[i])) << i;
    }
    EXPECT_EQ(down.back(), 0x00);
}
