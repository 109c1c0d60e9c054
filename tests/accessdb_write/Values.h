#pragma once
// Typed values for the tests that write rows without SQL.
#include <cstdint>
#include <string>

#include "accessdb/Value.h"

namespace writetest {

// A value of `type` that is not Null and holds zero, false or nothing until the caller fills it.
inline accessdb::Value Present(accessdb::ColumnType type) {
    accessdb::Value v = accessdb::Value::Null(type);
    v.null = false;
    return v;
}

inline accessdb::Value LongValue(std::int64_t n) {
    accessdb::Value v = Present(accessdb::ColumnType::Long);
    v.integer = n;
    return v;
}

inline accessdb::Value TextValue(const std::string& text,
                                 accessdb::ColumnType type = accessdb::ColumnType::Text) {
    accessdb::Value v = Present(type);
    v.text = text;
    return v;
}

// Days since 1899-12-30.
inline accessdb::Value DateValue(double days) {
    accessdb::Value v = Present(accessdb::ColumnType::DateTime);
    v.real = days;
    return v;
}

// Currency in ten-thousandths.
inline accessdb::Value CurrencyValue(std::int64_t scaled) {
    accessdb::Value v = Present(accessdb::ColumnType::Currency);
    v.integer = scaled;
    return v;
}

}  // namespace writetest
