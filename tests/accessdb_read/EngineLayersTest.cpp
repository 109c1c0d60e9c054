// The engine's layers on hand-made input: text decoding, value formatting, row splitting (Jet 4
// and Jet 3 with its jump table), SELECT parsing, and the page file's write path that the
// writer builds on (dirty pages, the journal hook, usage map bits).
#include <gtest/gtest.h>

#include "Fixtures.h"
#include "accessdb/Database.h"
#include "accessdb/RowLayout.h"
#include "accessdb/Text.h"
#include "accessdb/UsageMap.h"
#include "accessdb/Value.h"
#include "accessdb/ValueDecoder.h"

namespace {

using accessdb::Bytes;
using accessdb::ColumnType;

TEST(Text, CompressedTextTogglesBetweenOneAndTwoByteRuns) {
    const std::uint8_t stored[] = {0xFF, 0xFE, 'a', 'b', 0x00, 0xA9, 0x03, 0x00, 'c'};
    EXPECT_EQ(accessdb::DecodeText(Bytes(stored)),
              "ab\xCE\xA9"
              "c");
    const std::uint8_t utf16[] = {0x3D, 0xD8, 0x00, 0xDE,
                                  0x00, 0xD8, 'x',  0};  // U+1F600, lone surrogate, x
    EXPECT_EQ(accessdb::DecodeText(Bytes(utf16)), "\xF0\x9F\x98\x80\xEF\xBF\xBDx");
    const std::uint8_t cp[] = {0x80, 'A', 0xE9};
#ifndef _WIN32
    const std::uint8_t cyrillic[] = {0xCF, 0xF0, 0xE8, 0xE2, 0xE5, 0xF2, 0xB9};
    EXPECT_EQ(accessdb::DecodeCodePage(Bytes(cyrillic), 1251), "Привет№");
#endif
    EXPECT_EQ(accessdb::DecodeCodePage(Bytes(cp), 0),
              "\xE2\x82\xAC"
              "A\xC3\xA9");
    EXPECT_EQ(accessdb::DecodeCodePage(Bytes(cp), 1252),
              "\xE2\x82\xAC"
              "A\xC3\xA9");
}

TEST(Text, EncodingRoundTripsAndCompressesOnlyLatinText) {
    auto latin = accessdb::EncodeText("caf\xC3\xA9 au lait", true);
    EXPECT_EQ(latin[0], 0xFF);
    EXPECT_EQ(accessdb::DecodeText(latin), "caf\xC3\xA9 au lait");
    auto greek = accessdb::EncodeText("\xCE\xA9mega", true);
    EXPECT_NE(greek[0], 0xFF);
    EXPECT_EQ(accessdb::DecodeText(greek), "\xCE\xA9mega");
    EXPECT_EQ(accessdb::EncodeText("ab", true).size(), 4u);  // too short to compress
    EXPECT_EQ(accessdb::DecodeText(accessdb::EncodeText("\xF0\x9F\x98\x80", false)),
              "\xF0\x9F\x98\x80");
}

TEST(ValueFormat, ExactNumbersAndDates) {
    EXPECT_EQ(accessdb::FormatCurrency(-100), "-0.0100");
    EXPECT_EQ(accessdb::FormatCurrency(INT64_MIN), "-922337203685477.5808");
    std::vector<std::uint8_t> dec(17, 0);
    dec[0] = 0x80;
    dec[13] = 0x39;  // last word (least significant) = 0x3039 = 12345
    dec[14] = 0x30;
    EXPECT_EQ(accessdb::FormatDecimal(dec, 2), "-123.45");
    EXPECT_EQ(accessdb::FormatDecimal(dec, 7), "-0.0012345");
    dec[1] = 1;  // a high word: 2^96 + 12345
    EXPECT_EQ(accessdb::FormatDecimal(dec, 0), "-79228162514264337593543962681");
    EXPECT_EQ(accessdb::FormatDateTime(-1.25), "1899-12-29 06:00:00");
    EXPECT_EQ(accessdb::FormatDateTime(0.999999999), "1899-12-31 00:00:00");
    EXPECT_EQ(accessdb::FormatDateTime(44361.53125), "2021-06-14 12:45:00");
    EXPECT_EQ(accessdb::FormatDouble(0.1), "0.1");
    EXPECT_EQ(accessdb::FormatDouble(1e20), "100000000000000000000");
    EXPECT_EQ(accessdb::FormatSingle(0.1f), "0.1");
    std::vector<std::uint8_t> guid = {0x78, 0x56, 0x34, 0x12, 0x34, 0x12, 0x78, 0x56,
                                      0x9A, 0xBC, 0xDE, 0xF0, 0x12, 0x34, 0x56, 0x78};
    EXPECT_EQ(accessdb::FormatGuid(guid), "{12345678-1234-5678-9ABC-DEF012345678}");
    EXPECT_EQ(accessdb::FormatExtendedDateTime("0000000000000737592:000000045900"
                                               "1234567:7"),
              "2020-06-17 12:45:00.1234567");
}

accessdb::ColumnDef Column(const char* name, ColumnType type, std::uint16_t number, bool fixed,
                           std::uint16_t varIndex, std::uint16_t fixedOffset,
                           std::uint16_t length) {
    accessdb::ColumnDef c;
    c.name = name;
    c.type = type;
    c.number = number;
    c.flags = fixed ? accessdb::kColumnFixed : 0;
    c.varIndex = varIndex;
    c.fixedOffset = fixedOffset;
    c.length = length;
    return c;
}

TEST(RowDecoder, SplitsJet4RowsAndTreatsMissingColumnsAsNull) {
    accessdb::TableDef t;
    t.name = "T";
    t.varColumns = 2;
    t.columns = {Column("id", ColumnType::Long, 0, true, 0, 0, 4),
                 Column("a", ColumnType::Text, 1, false, 0, 0, 20),
                 Column("flag", ColumnType::Boolean, 2, true, 0, 0, 1),
                 Column("b", ColumnType::Text, 3, false, 1, 0, 20),
                 Column("late", ColumnType::Long, 4, true, 0, 4, 4)};
    const auto& format = *accessdb::FormatForVersionByte(1);
    // 4 columns written: id=7, a="hi" (UTF-16), flag=true, b=Null; "late" added afterwards.
    std::vector<std::uint8_t> row = {4,   0, 7, 0, 0, 0, 'h', 0, 'i', 0, 10, 0,  // EOD
                                     10,  0,  // var 1 (b) starts at the end: empty
                                     6,   0,  // var 0 (a)
                                     2,   0,  // var count
                                     0x07};   // null mask: id, a, flag
    accessdb::RowDecoder decoder(t, format);
    std::vector<accessdb::FieldSlice> s;
    decoder.Split(row, s);
    ASSERT_EQ(s.size(), 5u);
    EXPECT_TRUE(s[0].present);
    EXPECT_EQ(s[0].data[0], 7);
    EXPECT_TRUE(s[1].present);
    EXPECT_EQ(accessdb::DecodeText(s[1].data), "hi");
    EXPECT_TRUE(s[2].present);
    EXPECT_FALSE(s[3].present);
    EXPECT_FALSE(s[4].present);

    row[14] = 200;  // var 0 now starts outside the row
    EXPECT_THROW(decoder.Split(row, s), accessdb::Error);
    EXPECT_THROW(decoder.Split(Bytes(row.data(), 1), s), accessdb::Error);
}

TEST(RowDecoder, FollowsTheJet3JumpTableInLongRows) {
    accessdb::TableDef t;
    t.name = "T";
    t.varColumns = 2;
    t.columns = {Column("a", ColumnType::Text, 0, false, 0, 0, 10),
                 Column("b", ColumnType::Text, 1, false, 1, 0, 255)};
    const auto& format = *accessdb::FormatForVersionByte(0);
    std::vector<std::uint8_t> row(307, 'x');
    row[0] = 2;  // column count
    for (int i = 1; i < 11; ++i)
        row[static_cast<std::size_t>(i)] = 'a';
    row[301] = 301 - 256;  // EOD, low byte
    row[302] = 11;         // var 1
    row[303] = 1;          // var 0
    row[304] = 2;          // jump table: offsets from index 2 on are +256
    row[305] = 2;          // var count
    row[306] = 0x03;       // null mask
    accessdb::RowDecoder decoder(t, format);
    std::vector<accessdb::FieldSlice> s;
    decoder.Split(row, s);
    ASSERT_TRUE(s[0].present && s[1].present);
    EXPECT_EQ(s[0].data.size(), 10u);
    EXPECT_EQ(s[0].data[0], 'a');
    EXPECT_EQ(s[1].data.size(), 290u);
}

TEST(SelectAll, ParsesTheShapesTheImportSends) {
    EXPECT_EQ(accessdb::ParseSelectAll("SELECT * FROM `My Table`"), "My Table");
    EXPECT_EQ(accessdb::ParseSelectAll("select *\nfrom [T];"), "T");
    EXPECT_EQ(accessdb::ParseSelectAll("SELECT * FROM Orders"), "Orders");
    EXPECT_THROW(accessdb::ParseSelectAll("SELECT a FROM T"), accessdb::Error);
    EXPECT_THROW(accessdb::ParseSelectAll("SELECT * FROM `T"), accessdb::Error);
    EXPECT_THROW(accessdb::ParseSelectAll("SELECT * FROM T WHERE 1"), accessdb::Error);
    try {
        accessdb::ParseSelectAll("DELETE FROM T");
        FAIL();
    } catch (const accessdb::Error& e) {
        EXPECT_EQ(e.Kind(), accessdb::ErrorKind::NotSupported);
    }
}

class RecordingJournal : public accessdb::PageJournal {
  public:
    void BeforeFirstChange(std::uint32_t page, Bytes original) override {
        pages.push_back(page);
        images.emplace_back(original.begin(), original.end());
    }
    void BeforeGrow(std::uint32_t before) override { grows.push_back(before); }
    std::vector<std::uint32_t> pages;
    std::vector<std::vector<std::uint8_t>> images;
    std::vector<std::uint32_t> grows;
};

TEST(PageFile, JournalsEachPageOnceAStatementAndWritesBackEncoded) {
    REQUIRE_FIXTURES();
    auto dir = fixtures::TempDir("pagefile");
    // The Jet-encoded fixture: pages must come back out encrypted exactly as they went in.
    const auto copy = dir / "db-enc.mdb";
    std::filesystem::copy_file(fixtures::Dir() / "jackcess-encrypt/db-enc.mdb", copy);
    std::filesystem::permissions(copy, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    const std::string before = fixtures::ReadText(copy);
    {
        accessdb::PageFile pages(copy.string(), accessdb::OpenMode::ReadWrite);
        RecordingJournal journal;
        pages.SetJournal(&journal);
        pages.BeginStatement();
        auto original = pages.Read(3)->bytes;
        pages.Modify(3)->bytes[100] ^= 0xFF;
        pages.Modify(3)->bytes[100] ^= 0xFF;  // changed back: the page is dirty but equal
        pages.Modify(0);
        const std::uint32_t count = pages.PageCount();
        auto fresh = pages.Append();
        pages.Append();
        pages.EndStatement();
        EXPECT_EQ(journal.pages, (std::vector<std::uint32_t>{3, 0}));
        EXPECT_EQ(journal.images[0], original);
        EXPECT_EQ(journal.grows, std::vector<std::uint32_t>{count});
        EXPECT_EQ(fresh->number, count);
        pages.Flush();
        pages.File().Truncate(static_cast<std::uint64_t>(count) * pages.PageSize());
    }
    EXPECT_EQ(fixtures::ReadText(copy), before);

    // Reading opened read-only refuses changes.
    {  // closed before its folder goes: Windows removes no open file
        accessdb::PageFile readOnly(copy.string(), accessdb::OpenMode::ReadOnly);
        EXPECT_THROW(readOnly.Modify(3), accessdb::Error);
    }
    std::filesystem::remove_all(dir);
}

TEST(UsageMap, SetsBitsInsideItsWindowAndReportsPagesOutside) {
    REQUIRE_FIXTURES();
    auto dir = fixtures::TempDir("usagemap");
    const auto copy = dir / "empty.mdb";
    std::filesystem::copy_file(fixtures::Dir() / "jackcess/empty.mdb", copy);
    std::filesystem::permissions(copy, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    std::uint32_t chosen = 0;
    {
        accessdb::PageFile pages(copy.string(), accessdb::OpenMode::ReadWrite);
        auto global =
            accessdb::UsageMap::Load(pages, accessdb::RowPointer{accessdb::kGlobalUsageMapPage, 0});
        ASSERT_EQ(global.kind(), accessdb::UsageMap::Kind::Inline);
        for (std::uint32_t p = 3; p < pages.PageCount(); ++p)
            if (!global.Contains(p))
                chosen = p;
        ASSERT_NE(chosen, 0u);
        EXPECT_TRUE(global.Set(pages, chosen, true));
        EXPECT_TRUE(global.Contains(chosen));
        EXPECT_FALSE(global.Set(pages, global.InlineStart() + global.InlineSpan() + 5, true));
        pages.Flush();
    }
    {
        accessdb::PageFile pages(copy.string(), accessdb::OpenMode::ReadOnly);
        EXPECT_TRUE(
            accessdb::UsageMap::Load(pages, accessdb::RowPointer{accessdb::kGlobalUsageMapPage, 0})
                .Contains(chosen));
    }
    std::filesystem::remove_all(dir);
}

}  // namespace

namespace {

TEST(UsageMap, MovesItsWindowAndPromotesToAReferenceMap) {
    REQUIRE_FIXTURES();
    auto dir = fixtures::TempDir("usagemap_grow");
    const auto copy = dir / "empty.mdb";
    std::filesystem::copy_file(fixtures::Dir() / "jackcess/empty.mdb", copy);
    std::filesystem::permissions(copy, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    accessdb::RowPointer ownedAt, freeAt;
    std::vector<std::uint32_t> owned;
    {
        accessdb::PageFile pages(copy.string(), accessdb::OpenMode::ReadWrite);
        auto def = accessdb::TableDef::Load(pages, accessdb::kSystemCatalogPage, "MSysObjects");
        ownedAt = def.ownedMap;
        freeAt = def.freeMap;
        while (pages.PageCount() < 1400)
            pages.Append();

        // An emptied inline map takes a window anywhere.
        auto freeMap = accessdb::UsageMap::Load(pages, freeAt);
        ASSERT_EQ(freeMap.kind(), accessdb::UsageMap::Kind::Inline);
        for (std::uint32_t p : freeMap.Pages())
            freeMap.Update(pages, p, false);
        freeMap.Update(pages, 601, true);
        freeMap.Update(pages, 605, true);
        EXPECT_EQ(freeMap.InlineStart(), 600u);

        // Pages too far apart for one window: the map becomes a reference map.
        auto ownedMap = accessdb::UsageMap::Load(pages, ownedAt);
        owned = ownedMap.Pages();
        ASSERT_FALSE(owned.empty());
        ownedMap.Update(pages, 1300, true);
        EXPECT_EQ(ownedMap.kind(), accessdb::UsageMap::Kind::Reference);
        pages.Flush();
    }
    {
        accessdb::PageFile pages(copy.string(), accessdb::OpenMode::ReadOnly);
        EXPECT_EQ(accessdb::UsageMap::Load(pages, freeAt).Pages(),
                  (std::vector<std::uint32_t>{601, 605}));
        auto ownedMap = accessdb::UsageMap::Load(pages, ownedAt);
        EXPECT_EQ(ownedMap.kind(), accessdb::UsageMap::Kind::Reference);
        owned.push_back(1300);
        EXPECT_EQ(ownedMap.Pages(), owned);
    }
    std::filesystem::remove_all(dir);
}

// Every table definition of every writable fixture serialises back to the bytes it was read
// from, and a definition stored over a longer chain reads back the same.
TEST(TableDef, SerialisesBackToTheBytesItWasReadFrom) {
    REQUIRE_FIXTURES();
    std::size_t checked = 0;
    for (const char* name :
         {"jackcess/test2V2003.mdb", "jackcess/indexTestV2003.mdb",
          "jackcess/extDateTestV2019.accdb", "jackcess/fixedNumericTestV2000.mdb",
          "mdb-reader/withdeletedcol.accdb", "jackcess/linkerTestV2007.accdb",
          "jackcess/empty2019.accdb"}) {
        auto db = accessdb::Database::Open((fixtures::Dir() / name).string(), "");
        for (const auto& row : db->SchemaRows()) {
            if (row.object->type != accessdb::kObjectLocalTable)
                continue;
            auto def = db->Table(row.tableName);
            auto bytes = def->Serialize(db->format());
            ASSERT_LE(bytes.size(), def->raw.size()) << name << " " << row.tableName;
            EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), def->raw.begin()))
                << name << " " << row.tableName;
            ++checked;
        }
    }
    EXPECT_GT(checked, 50u);

    auto dir = fixtures::TempDir("tabledef");
    const auto copy = dir / "test2.mdb";
    std::filesystem::copy_file(fixtures::Dir() / "jackcess/test2V2003.mdb", copy);
    std::filesystem::permissions(copy, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    {
        accessdb::PageFile pages(copy.string(), accessdb::OpenMode::ReadWrite);
        auto def = accessdb::TableDef::Load(pages, accessdb::kSystemCatalogPage, "MSysObjects");
        // Forty more long-named columns push the definition onto continuation pages.
        for (int i = 0; i < 40; ++i) {
            accessdb::ColumnDef c = def.columns.back();
            c.name = "An extra column with a long name number " + std::to_string(i);
            c.number = static_cast<std::uint16_t>(def.maxColumns++);
            c.blockIndex = 1000 + static_cast<std::size_t>(i);
            c.rawBlock.clear();
            c.longValueOwnedMap.reset();
            c.type = ColumnType::Long;
            c.flags = accessdb::kColumnFixed;
            def.columns.push_back(c);
        }
        def.rowCount = 12345;
        def.Store(pages);
        EXPECT_GT(def.pages.size(), 1u);
        def.rowCount = 54321;
        def.StoreCounters(pages);
        pages.Flush();
    }
    {
        accessdb::PageFile pages(copy.string(), accessdb::OpenMode::ReadOnly);
        auto back = accessdb::TableDef::Load(pages, accessdb::kSystemCatalogPage, "MSysObjects");
        EXPECT_EQ(back.columns.size(), 57u);
        EXPECT_EQ(back.rowCount, 54321u);
        EXPECT_EQ(back.columns.back().name, "An extra column with a long name number 39");
        EXPECT_EQ(back.Serialize(pages.format()),
                  std::vector<std::uint8_t>(
                      back.raw.begin(),
                      back.raw.begin() +
                          static_cast<std::ptrdiff_t>(back.Serialize(pages.format()).size())));
    }
    std::filesystem::remove_all(dir);
}

}  // namespace

namespace {

// A statement may dirty more pages than the cache keeps: dirty pages stay, clean ones go, and
// the page being loaded is never the one evicted.
TEST(PageFile, KeepsDirtyPagesBeyondItsCacheLimit) {
    REQUIRE_FIXTURES();
    auto dir = fixtures::TempDir("pagecache");
    const auto copy = dir / "empty.mdb";
    std::filesystem::copy_file(fixtures::Dir() / "jackcess/empty.mdb", copy);
    std::filesystem::permissions(copy, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    std::uint32_t before = 0;
    {
        accessdb::PageFile pages(copy.string(), accessdb::OpenMode::ReadWrite);
        pages.SetCacheLimit(8);
        before = pages.PageCount();
        for (int i = 0; i < 40; ++i)
            pages.Append()->bytes[0] = accessdb::kPageData;
        for (std::uint32_t p = 1; p < before; ++p)
            pages.Read(p);
        pages.Modify(before + 3)->bytes[1] = 0x01;
        pages.Flush();
    }
    {
        accessdb::PageFile pages(copy.string(), accessdb::OpenMode::ReadOnly);
        EXPECT_EQ(pages.PageCount(), before + 40);
        EXPECT_EQ(pages.Read(before + 3)->bytes[1], 0x01);
        EXPECT_EQ(pages.Read(before + 39)->bytes[0], accessdb::kPageData);
    }
    std::filesystem::remove_all(dir);
}

}  // namespace

namespace {

std::vector<std::uint8_t> WrapCalculated(const std::vector<std::uint8_t>& value) {
    std::vector<std::uint8_t> wrapped(20 + value.size() + 3, 0);
    accessdb::StoreU32(wrapped.data() + 16, static_cast<std::uint32_t>(value.size()));
    for (std::size_t i = 0; i < value.size(); ++i)
        wrapped[20 + i] = value[i];
    return wrapped;
}

// Calculated columns keep their last result inside a wrapper; Yes/No results are stored as
// data, not in the null mask, and Decimal results in their own layout.
TEST(ValueDecoder, UnwrapsCalculatedResults) {
    REQUIRE_FIXTURES();
    accessdb::PageFile pages((fixtures::Dir() / "jackcess/empty2010.accdb").string(),
                             accessdb::OpenMode::ReadOnly);
    accessdb::ColumnDef c;
    c.name = "calc";
    c.extFlags = accessdb::kColumnCalculated;

    c.type = ColumnType::Boolean;
    auto yes = WrapCalculated({0xFF});
    EXPECT_TRUE(accessdb::DecodeValue(pages, c, {true, yes}).boolean);
    auto no = WrapCalculated({0x00});
    EXPECT_FALSE(accessdb::DecodeValue(pages, c, {true, no}).boolean);
    EXPECT_TRUE(accessdb::DecodeValue(pages, c, {false, {}}).null);

    c.type = ColumnType::Long;
    auto empty = WrapCalculated({});
    EXPECT_TRUE(accessdb::DecodeValue(pages, c, {true, empty}).null);
    auto seven = WrapCalculated({7, 0, 0, 0});
    EXPECT_EQ(accessdb::DecodeValue(pages, c, {true, seven}).integer, 7);

    c.type = ColumnType::Numeric;
    // 12.5: length 18, scale 1, positive, 16 magnitude bytes in two reversed 8-byte groups.
    std::vector<std::uint8_t> decimal = {18, 0, 1,    0, 0, 0, 0, 0, 0, 0,
                                         0,  0, 0x7D, 0, 0, 0, 0, 0, 0, 0};
    auto wrapped = WrapCalculated(decimal);
    EXPECT_EQ(accessdb::FormatValue(accessdb::DecodeValue(pages, c, {true, wrapped})), "12.5");
    decimal[3] = 1;  // negative
    wrapped = WrapCalculated(decimal);
    EXPECT_EQ(accessdb::FormatValue(accessdb::DecodeValue(pages, c, {true, wrapped})), "-12.5");

    c.type = ColumnType::Text;
    auto text = WrapCalculated({'h', 0, 'i', 0});
    EXPECT_EQ(accessdb::DecodeValue(pages, c, {true, text}).text, "hi");
    std::vector<std::uint8_t> cut = {1, 2, 3};
    EXPECT_THROW(accessdb::DecodeValue(pages, c, {true, cut}), accessdb::Error);
}

}  // namespace
