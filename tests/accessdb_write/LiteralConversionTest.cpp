// Text and number literals into every column type, under locales with '.' and ',' decimal
// separators and with month/day/year and day/month/year dates.
#include <gtest/gtest.h>

#include <ctime>

#include "accessdb/Error.h"
#include "accessdb/sql/LiteralConversion.h"
#include "tests/accessdb_write/Refusals.h"
#include "tests/accessdb_write/WriteSupport.h"

namespace {

using accessdb::ColumnDef;
using accessdb::ColumnType;
using accessdb::Value;
using accessdb::convert::DateOrder;
using accessdb::convert::NumberDateLocale;
using accessdb::sql::Literal;

NumberDateLocale UnitedStates() {
    return NumberDateLocale::English();
}

NumberDateLocale Germany() {
    NumberDateLocale l = NumberDateLocale::English();
    l.decimalSeparator = ",";
    l.groupSeparator = ".";
    l.dateOrder = DateOrder::DayMonthYear;
    l.monthNames = {"Januar", "Februar", "März",      "April",   "Mai",      "Juni",
                    "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
    l.monthAbbreviations = {"Jan", "Feb", "Mär", "Apr", "Mai", "Jun",
                            "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
    return l;
}

ColumnDef Column(ColumnType type, std::uint8_t precision = 0, std::uint8_t scale = 0) {
    ColumnDef c;
    c.name = "c";
    c.type = type;
    c.precision = precision;
    c.scale = scale;
    return c;
}

Value Convert(ColumnDef column, const std::string& text, const NumberDateLocale& locale,
              Literal::Kind kind = Literal::Kind::String) {
    Value v;
    accessdb::sql::LiteralToValue("T", column, Literal{kind, text}, v, locale);
    return v;
}

std::string Shown(ColumnDef column, const std::string& text, const NumberDateLocale& locale,
                  Literal::Kind kind = Literal::Kind::String) {
    return accessdb::FormatValue(Convert(column, text, locale, kind));
}

long ErrorOf(ColumnDef column, const std::string& text, const NumberDateLocale& locale,
             std::string* message = nullptr) {
    const writetest::Refusal refusal = writetest::RefusalOf([&] { Convert(column, text, locale); });
    if (message != nullptr && refusal.refused) {
        *message = refusal.message;
    }
    return refusal.number;
}

struct Case {
    ColumnType type;
    std::string text;
    std::string us;  // expected export text, or "#nnnn" for an error number
    std::string de;
};

std::string Outcome(ColumnType type, const std::string& text, const NumberDateLocale& locale) {
    const ColumnDef column = type == ColumnType::Numeric ? Column(type, 10, 2) : Column(type);
    std::string shown;
    const writetest::Refusal refusal =
        writetest::RefusalOf([&] { shown = Shown(column, text, locale); });
    return refusal.refused ? "#" + std::to_string(refusal.number) : shown;
}

TEST(LiteralConversion, TextLiteralsIntoEveryTypeUnderTwoLocales) {
    const std::vector<Case> cases{
        // Integers: sign on either side, spaces, grouping, ties to even, overflow.
        {ColumnType::Long, "30", "30", "30"},
        {ColumnType::Long, " +30 ", "30", "30"},
        {ColumnType::Long, "-5", "-5", "-5"},
        {ColumnType::Long, "5-", "-5", "-5"},
        {ColumnType::Long, "1,000", "1000", "1"},  // ',' is the German decimal separator
        {ColumnType::Long, "1.000", "1", "1000"},
        {ColumnType::Long, "30.5", "30", "305"},
        {ColumnType::Long, "31,5", "315", "32"},
        {ColumnType::Long, "1e3", "1000", "1000"},
        {ColumnType::Long, "2147483647", "2147483647", "2147483647"},
        {ColumnType::Long, "2147483648", "#3349", "#3349"},
        {ColumnType::Long, "abc", "#3464", "#3464"},
        {ColumnType::Long, "", "#3464", "#3464"},
        {ColumnType::Long, "1,", "#3464", "1"},
        {ColumnType::Integer, "-32768", "-32768", "-32768"},
        {ColumnType::Integer, "32767.5", "#3349", "#3349"},
        {ColumnType::Byte, "255", "255", "255"},
        {ColumnType::Byte, "-1", "#3349", "#3349"},
        {ColumnType::Byte, "0.5", "0", "5"},
        {ColumnType::Byte, "1.5", "2", "15"},
        {ColumnType::BigInt, "-9223372036854775808", "-9223372036854775808",
         "-9223372036854775808"},
        {ColumnType::BigInt, "9223372036854775808", "#3349", "#3349"},
        // Currency: four places, ties to even.
        {ColumnType::Currency, "12.34565", "12.3456", "1234565.0000"},
        {ColumnType::Currency, "12,34575", "1234575.0000", "12.3458"},
        {ColumnType::Currency, "-0.00005", "0.0000", "-5.0000"},
        {ColumnType::Currency, "922337203685477.5807", "922337203685477.5807", "#3349"},
        {ColumnType::Currency, "922337203685477.5808", "#3349", "#3349"},
        // Decimal(10, 2): cut to the scale, precision checked.
        {ColumnType::Numeric, "104.7668", "104.76", "1047668.00"},
        {ColumnType::Numeric, "-0.001", "0.00", "-1.00"},
        {ColumnType::Numeric, "99999999.99", "99999999.99", "#3349"},
        {ColumnType::Numeric, "100000000", "#3349", "#3349"},
        // Floating point.
        {ColumnType::Double, "1.5", "1.5", "15"},
        {ColumnType::Double, "1,5", "15", "1.5"},
        {ColumnType::Double, "-2.5e-3", "-0.0025", "-0.025"},
        {ColumnType::Single, "1e39", "#3349", "#3349"},
        // Dates: ISO everywhere, numeric in the locale's order, names, times alone.
        {ColumnType::DateTime, "2021-08-31", "2021-08-31 00:00:00", "2021-08-31 00:00:00"},
        {ColumnType::DateTime, "2021-08-31 13:45", "2021-08-31 13:45:00", "2021-08-31 13:45:00"},
        {ColumnType::DateTime, "2021-08-31T13:45:07", "2021-08-31 13:45:07", "2021-08-31 13:45:07"},
        {ColumnType::DateTime, "08/09/2021", "2021-08-09 00:00:00", "2021-09-08 00:00:00"},
        {ColumnType::DateTime, "31/08/2021", "2021-08-31 00:00:00", "2021-08-31 00:00:00"},
        {ColumnType::DateTime, "31.08.21", "2021-08-31 00:00:00", "2021-08-31 00:00:00"},
        {ColumnType::DateTime, "1/2/30", "1930-01-02 00:00:00", "1930-02-01 00:00:00"},
        {ColumnType::DateTime, "Aug 31 2021", "2021-08-31 00:00:00", "2021-08-31 00:00:00"},
        {ColumnType::DateTime, "31 August 2021", "2021-08-31 00:00:00", "2021-08-31 00:00:00"},
        {ColumnType::DateTime, "31. März 2021", "#3464", "2021-03-31 00:00:00"},
        {ColumnType::DateTime, "13:45", "1899-12-30 13:45:00", "1899-12-30 13:45:00"},
        {ColumnType::DateTime, "1:05:09 PM", "1899-12-30 13:05:09", "1899-12-30 13:05:09"},
        {ColumnType::DateTime, "12 AM", "1899-12-30 00:00:00", "1899-12-30 00:00:00"},
        {ColumnType::DateTime, "1899-12-29 06:00", "1899-12-29 06:00:00", "1899-12-29 06:00:00"},
        {ColumnType::DateTime, "2021-02-29", "#3464", "#3464"},
        {ColumnType::DateTime, "0099-01-01", "#3349", "#3349"},
        {ColumnType::DateTime, "25:00", "#3464", "#3464"},
        {ColumnType::DateTime, "soon", "#3464", "#3464"},
        {ColumnType::DateTime, "45000.5", "2023-03-15 12:00:00", "3132-01-26 00:00:00"},
        {ColumnType::DateTimeExtended, "2021-08-31 13:45:07.1234567", "2021-08-31 13:45:07.1234567",
         "2021-08-31 13:45:07.1234567"},
        {ColumnType::DateTimeExtended, "0001-01-01", "0001-01-01 00:00:00", "0001-01-01 00:00:00"},
        // Yes/No.
        {ColumnType::Boolean, "True", "1", "1"},
        {ColumnType::Boolean, "false", "0", "0"},
        {ColumnType::Boolean, "YES", "1", "1"},
        {ColumnType::Boolean, "No", "0", "0"},
        {ColumnType::Boolean, "On", "1", "1"},
        {ColumnType::Boolean, "off", "0", "0"},
        {ColumnType::Boolean, "-1", "1", "1"},
        {ColumnType::Boolean, "0", "0", "0"},
        {ColumnType::Boolean, "0.5", "1", "1"},
        {ColumnType::Boolean, "maybe", "#3464", "#3464"},
        // GUID.
        {ColumnType::Guid, "{6BA7B810-9DAD-11D1-80B4-00C04FD430C8}",
         "{6BA7B810-9DAD-11D1-80B4-00C04FD430C8}", "{6BA7B810-9DAD-11D1-80B4-00C04FD430C8}"},
        {ColumnType::Guid, "6ba7b810-9dad-11d1-80b4-00c04fd430c8",
         "{6BA7B810-9DAD-11D1-80B4-00C04FD430C8}", "{6BA7B810-9DAD-11D1-80B4-00C04FD430C8}"},
        {ColumnType::Guid, "{guid {6BA7B810-9DAD-11D1-80B4-00C04FD430C8}}",
         "{6BA7B810-9DAD-11D1-80B4-00C04FD430C8}", "{6BA7B810-9DAD-11D1-80B4-00C04FD430C8}"},
        {ColumnType::Guid, "{6BA7B810-9DAD-11D1-80B4-00C04FD430CZ}", "#3464", "#3464"},
        // Text kinds keep the text as it is.
        {ColumnType::Text, " 1,5 ", " 1,5 ", " 1,5 "},
        {ColumnType::Memo, "", "", ""},
    };
    const NumberDateLocale us = UnitedStates();
    const NumberDateLocale de = Germany();
    for (const Case& c : cases) {
        EXPECT_EQ(Outcome(c.type, c.text, us), c.us)
            << accessdb::ColumnTypeName(c.type) << " '" << c.text << "' (en-US)";
        EXPECT_EQ(Outcome(c.type, c.text, de), c.de)
            << accessdb::ColumnTypeName(c.type) << " '" << c.text << "' (de-DE)";
    }
}

TEST(LiteralConversion, DatesWithoutYearTakeTheCurrentOne) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    const std::string year = std::to_string(local.tm_year + 1900);
    EXPECT_EQ(Shown(Column(ColumnType::DateTime), "3/4", UnitedStates()), year + "-03-04 00:00:00");
    EXPECT_EQ(Shown(Column(ColumnType::DateTime), "3/4", Germany()), year + "-04-03 00:00:00");
    EXPECT_EQ(Shown(Column(ColumnType::DateTime), "Aug 2021", UnitedStates()),
              "2021-08-01 00:00:00");
}

TEST(LiteralConversion, NumberLiteralsAreSqlWhateverTheLocale) {
    const auto number = Literal::Kind::Number;
    EXPECT_EQ(Shown(Column(ColumnType::Double), "1.5", Germany(), number), "1.5");
    EXPECT_EQ(Shown(Column(ColumnType::Long), "2.5", Germany(), number), "2");
    EXPECT_EQ(Shown(Column(ColumnType::Currency), "-3.99995", Germany(), number), "-4.0000");
    EXPECT_EQ(Shown(Column(ColumnType::Text), "1.50", Germany(), number), "1.50");
    EXPECT_EQ(Shown(Column(ColumnType::Boolean), "-1", Germany(), number), "1");
    EXPECT_EQ(
        Shown(Column(ColumnType::Numeric, 28, 4), "-12345678901234567890.12345", Germany(), number),
        "-12345678901234567890.1234");
}

TEST(LiteralConversion, ErrorsNameAccessTextTableColumnAndValueStart) {
    std::string message;
    EXPECT_EQ(ErrorOf(Column(ColumnType::Long), "forty-two", UnitedStates(), &message), 3464);
    EXPECT_EQ(message,
              "Data type mismatch in criteria expression. Table 'T', column 'c' (Long), value "
              "'forty-two'.");
    EXPECT_EQ(ErrorOf(Column(ColumnType::Byte), "256", UnitedStates(), &message), 3349);
    EXPECT_EQ(message, "Numeric field overflow. Table 'T', column 'c' (Byte), value '256'.");
    const std::string longText(100, 'x');
    ErrorOf(Column(ColumnType::DateTime), longText, UnitedStates(), &message);
    EXPECT_NE(message.find("value '" + std::string(40, 'x') + "...'"), std::string::npos)
        << message;
    EXPECT_EQ(ErrorOf(Column(ColumnType::Ole), "abc", UnitedStates(), &message), 3421);
}

TEST(LiteralConversion, NullStaysNullInEveryType) {
    for (const ColumnType type : {ColumnType::Long, ColumnType::DateTime, ColumnType::Guid,
                                  ColumnType::Text, ColumnType::Numeric}) {
        Value v;
        accessdb::sql::LiteralToValue("T", Column(type), Literal{Literal::Kind::Null, ""}, v,
                                      UnitedStates());
        EXPECT_TRUE(v.null);
        EXPECT_EQ(v.type, type);
    }
}

TEST(LiteralConversion, ShortDateFormatsGiveTheirOrder) {
    using accessdb::convert::DateOrderFromFormat;
    EXPECT_EQ(DateOrderFromFormat("%m/%d/%Y"), DateOrder::MonthDayYear);
    EXPECT_EQ(DateOrderFromFormat("%d.%m.%Y"), DateOrder::DayMonthYear);
    EXPECT_EQ(DateOrderFromFormat("%Y-%m-%d"), DateOrder::YearMonthDay);
    EXPECT_EQ(DateOrderFromFormat("%D"), DateOrder::MonthDayYear);
    EXPECT_EQ(DateOrderFromFormat("%e/%m/%y"), DateOrder::DayMonthYear);
    EXPECT_EQ(DateOrderFromFormat("dd/MM/yyyy"), DateOrder::DayMonthYear);
    EXPECT_EQ(DateOrderFromFormat("M/d/yyyy"), DateOrder::MonthDayYear);
    EXPECT_EQ(DateOrderFromFormat("yyyy-MM-dd"), DateOrder::YearMonthDay);
}

// Text literals through INSERT into a typed table: what our reader, mdb-export and mdb-reader
// see afterwards is the converted value.
TEST(LiteralConversion, TypedTableStoresConvertedTextsAllReadersAgree) {
    REQUIRE_FIXTURES();
    if (NumberDateLocale::Process().decimalSeparator != ".") {
        GTEST_SKIP() << "the texts below are written for a locale with a '.' decimal separator";
    }
    const auto dir = writetest::TempDir("typed_literals");
    const std::string path = writetest::CopyFixture("jackcess/empty2016.accdb", dir);
    {
        auto db = accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
        accessdb::TableDefinition t;
        t.name = "Typed";
        t.columns = {{"Id", ColumnType::Long, 0, true}, {"Qty", ColumnType::Integer},
                     {"Price", ColumnType::Currency},   {"Ratio", ColumnType::Double},
                     {"Placed", ColumnType::DateTime},  {"Paid", ColumnType::Boolean},
                     {"Ref", ColumnType::Guid},         {"Big", ColumnType::BigInt}};
        db->CreateTable(t);
        for (const char* row :
             {"INSERT INTO Typed VALUES(NULL, ' 12 ', '3.90', '-2.5e-3', '2024-01-09 13:45', "
              "'Yes', '{6BA7B810-9DAD-11D1-80B4-00C04FD430C8}', '9223372036854775807')",
              "INSERT INTO Typed VALUES(NULL, '2.5', '1234.56785', '1e3', '1999-12-31', "
              "'off', NULL, '-1')",
              "INSERT INTO Typed (Qty) VALUES('-7')"}) {
            db->Execute(row);
        }
        db->Close();
    }
    const std::vector<std::vector<std::string>> expected{
        {"1", "12", "3.9000", "-0.0025", "2024-01-09 13:45:00", "1",
         "{6BA7B810-9DAD-11D1-80B4-00C04FD430C8}", "9223372036854775807"},
        {"2", "2", "1234.5678", "1000", "1999-12-31 00:00:00", "0", "<null>", "-1"},
        {"3", "-7", "<null>", "<null>", "<null>", "0", "<null>", "<null>"}};
    EXPECT_EQ(writetest::ReadRows(path, "Typed"), expected);
    writetest::ExpectClean(path);
    if (writetest::HaveMdbReader()) {
        const auto dump = writetest::MdbReaderTable(path, "Typed");
        const auto& rows = dump["tables"].items.at(0)["rows"].items;
        ASSERT_EQ(rows.size(), 3u);
        EXPECT_EQ(rows[0]["Qty"].text, "12");
        EXPECT_EQ(rows[1]["Price"].text, "1234.5678");
        EXPECT_EQ(rows[0]["Ratio"].Number(), -0.0025);
        EXPECT_EQ(rows[1]["Ratio"].Number(), 1000);
        EXPECT_EQ(rows[0]["Big"].text, "9223372036854775807");
        EXPECT_EQ(rows[2]["Placed"].kind, testjson::Value::Kind::Null);
    }
    if (writetest::HaveMdbTools()) {
        const auto rows = writetest::MdbExportRows(path, "Typed");
        ASSERT_EQ(rows.size(), 3u);
        EXPECT_EQ(rows[0][1], "12");
        EXPECT_EQ(rows[1][3], "1000");
        // mdbtools prints the last two groups of a GUID without the hyphen between them.
        EXPECT_EQ(rows[0][6], "{6BA7B810-9DAD-11D1-80B400C04FD430C8}");
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
