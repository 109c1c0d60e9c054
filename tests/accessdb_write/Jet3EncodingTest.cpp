// Access 97 (Jet 3) storage: rows with one-byte offsets and their jump table, text in the
// database's code page, and General 97 text keys against the keys Access wrote.
#include <gtest/gtest.h>

#include "accessdb/Format.h"
#include "accessdb/RowLayout.h"
#include "accessdb/Text.h"
#include "accessdb/index/IndexKey.h"
#include "accessdb/write/FieldEncoding.h"
#include "accessdb/write/RowEncoder.h"

namespace {

using accessdb::ColumnDef;
using accessdb::ColumnType;

const accessdb::Format& Jet3() {
    return *accessdb::FormatForVersionByte(0);
}

// A table of one Long and `texts` Text(255) columns, laid out as Access 97 lays them out.
accessdb::TableDef TextTable(std::size_t texts) {
    accessdb::TableDef t;
    t.name = "T";
    ColumnDef id;
    id.name = "Id";
    id.type = ColumnType::Long;
    id.flags = accessdb::kColumnFixed;
    id.length = 4;
    t.columns.push_back(id);
    for (std::size_t i = 0; i < texts; ++i) {
        ColumnDef c;
        c.name = "t" + std::to_string(i);
        c.type = ColumnType::Text;
        c.number = static_cast<std::uint16_t>(i + 1);
        c.varIndex = static_cast<std::uint16_t>(i);
        c.length = 255;
        t.columns.push_back(c);
    }
    t.maxColumns = t.columnCount = static_cast<std::uint16_t>(texts + 1);
    t.varColumns = static_cast<std::uint16_t>(texts);
    return t;
}

// Rows whose variable data crosses none, one or several 256-byte boundaries, with Nulls
// between, come back whole through the decoder.
TEST(Jet3Rows, OffsetsAndJumpTableRoundTrip) {
    for (std::size_t length : {0u, 10u, 120u, 250u, 255u, 256u, 300u, 600u}) {
        SCOPED_TRACE(length);
        const accessdb::TableDef table = TextTable(5);
        std::vector<accessdb::StoredField> fields(table.columns.size());
        fields[0] = {true, {1, 2, 3, 4}};
        for (std::size_t i = 1; i < fields.size(); ++i) {
            if (i == 3)
                continue;  // a Null in the middle
            fields[i].present = true;
            fields[i].bytes.assign(length / 2 + i, static_cast<std::uint8_t>('a' + i));
        }
        std::vector<std::uint8_t> row;
        accessdb::EncodeRow(table, Jet3(), fields, row);
        std::vector<accessdb::FieldSlice> slices;
        accessdb::RowDecoder(table, Jet3()).Split(row, slices);
        ASSERT_EQ(slices.size(), fields.size());
        for (std::size_t i = 0; i < fields.size(); ++i) {
            EXPECT_EQ(slices[i].present, fields[i].present) << "column " << i;
            EXPECT_EQ(std::vector<std::uint8_t>(slices[i].data.begin(), slices[i].data.end()),
                      fields[i].bytes)
                << "column " << i;
        }
        EXPECT_LE(accessdb::RowSizeWithout(table, Jet3(), fields, fields.size()), row.size() + 8);
    }
}

TEST(Jet3Text, CodePageBytesAndRefusals) {
    std::vector<std::uint8_t> out;
    std::string unmappable;
    ASSERT_TRUE(
        accessdb::EncodeCodePage("caf\xC3\xA9 \xE2\x82\xAC\xE2\x80\x99", 1252, out, unmappable));
    EXPECT_EQ(out, (std::vector<std::uint8_t>{'c', 'a', 'f', 0xE9, ' ', 0x80, 0x92}));
    EXPECT_EQ(accessdb::DecodeCodePage(out, 1252), "caf\xC3\xA9 \xE2\x82\xAC\xE2\x80\x99");
    EXPECT_FALSE(accessdb::EncodeCodePage("ab\xC5\x81\xC3\xB3", 1252, out, unmappable));
    EXPECT_EQ(unmappable, "\xC5\x81");
    EXPECT_FALSE(accessdb::EncodeCodePage("\xF0\x9F\x98\x80", 1252, out, unmappable));
    // Other code pages through the system's converter: Cyrillic 1251 holds Ж, not 漢.
    if (accessdb::EncodeCodePage("\xD0\x96", 1251, out, unmappable)) {
        EXPECT_EQ(out, std::vector<std::uint8_t>{0xC6});
        EXPECT_FALSE(accessdb::EncodeCodePage("x\xE6\xBC\xA2", 1251, out, unmappable));
        EXPECT_EQ(unmappable, "\xE6\xBC\xA2");
    }

    ColumnDef column;
    column.name = "Name";
    column.type = ColumnType::Text;
    column.length = 10;
    accessdb::TextStorage storage{true, 1252, "People"};
    accessdb::StoredField field;
    accessdb::Value value = accessdb::Value::Null(ColumnType::Text);
    value.null = false;
    value.text =
        "\xC5\x81\xC3\xB3"
        "d\xC5\xBA";
    try {
        accessdb::EncodeField(column, value, field, storage);
        FAIL() << "a character outside the code page was stored";
    } catch (const accessdb::Error& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("'Name'"), std::string::npos) << message;
        EXPECT_NE(message.find("'People'"), std::string::npos) << message;
        EXPECT_NE(message.find("U+0141"), std::string::npos) << message;
        EXPECT_NE(message.find("1252"), std::string::npos) << message;
    }
}

// General 97 keys: letters, digits and accented letters (nibble extras) in both directions.
TEST(Jet3Keys, General97TextKeys) {
    accessdb::KeyBytes key;
    accessdb::AppendTextKey(u"A0", accessdb::TextSortOrder::General97, true, key);
    EXPECT_EQ(key, (accessdb::KeyBytes{0x7F, 0x60, 0x56, 0x00}));
    accessdb::KeyBytes lower;
    accessdb::AppendTextKey(u"a0  ", accessdb::TextSortOrder::General97, true, lower);
    EXPECT_EQ(lower, key);  // case and trailing spaces do not tell keys apart
    accessdb::KeyBytes accented;
    accessdb::AppendTextKey(u"\u00E9", accessdb::TextSortOrder::General97, true, accented);
    accessdb::KeyBytes plain;
    accessdb::AppendTextKey(u"e", accessdb::TextSortOrder::General97, true, plain);
    EXPECT_NE(accented, plain);
    EXPECT_EQ(accented[1], plain[1]);  // same letter, told apart by the extra nibbles
    accessdb::KeyBytes descending;
    accessdb::AppendTextKey(u"A0", accessdb::TextSortOrder::General97, false, descending);
    EXPECT_EQ(descending, (accessdb::KeyBytes{0x80, 0x9F, 0xA9, 0xFF}));
    EXPECT_EQ(accessdb::FindTextSortOrder(1033, 0, true), accessdb::TextSortOrder::General97);
    EXPECT_FALSE(accessdb::FindTextSortOrder(1049, 0, true));
}

}  // namespace
