#pragma once
// A typed column value as read from a row, and its text forms: the export form (plain decimal
// numbers, exact Currency and Decimal, 1/0 for Yes/No, ISO dates, braced GUIDs, hex binary).
#include <cstdint>
#include <string>
#include <vector>

#include "accessdb/ColumnType.h"

namespace accessdb {

struct Value {
    ColumnType type = ColumnType::Text;
    bool null = true;
    bool boolean = false;             // Boolean
    std::int64_t integer = 0;         // Byte, Integer, Long, BigInt, Complex; Currency x 10,000
    double real = 0;                  // Single, Double, DateTime (days since 1899-12-30)
    std::string text;                 // Text, Memo, DateTimeExtended (stored ASCII form)
    std::vector<std::uint8_t> bytes;  // Binary, OLE, GUID (16), Decimal (17: sign + magnitude)
    std::uint8_t scale = 0;           // Decimal

    static Value Null(ColumnType t) {
        Value v;
        v.type = t;
        return v;
    }
};

// The export text of a value; "" for Null.
std::string FormatValue(const Value& v);

// Days since 1899-12-30 (time as the positive fraction, also before that day) to
// "YYYY-MM-DD HH:MM:SS" (rounded to the second) or with ".mmm" milliseconds.
std::string FormatDateTime(double days, bool milliseconds = false);
// The exact decimal text of a 17-byte Decimal value with `scale` fractional digits.
std::string FormatDecimal(const std::vector<std::uint8_t>& stored, std::uint8_t scale);
// Currency (value x 10,000) with four fractional digits: "3.5000", "-0.0100".
std::string FormatCurrency(std::int64_t scaled);
// {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX} from the 16 stored bytes.
std::string FormatGuid(const std::vector<std::uint8_t>& stored);
std::string FormatHex(const std::vector<std::uint8_t>& bytes);
// "YYYY-MM-DD HH:MM:SS[.fffffff]" from the stored Date/Time Extended text.
std::string FormatExtendedDateTime(const std::string& stored);
// Shortest text that reads back as the same number, without exponent.
std::string FormatDouble(double d);
std::string FormatSingle(float f);

}  // namespace accessdb
