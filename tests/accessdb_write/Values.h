#pragma once
// Typed values for the tests that write rows without SQL.
#include <cstdint>
#include <string>
#include <utility>

#include "accessdb/Value.h"

namespace writetest {

// A value of `type` that is not Null and holds zero, false or nothing until the caller fills it.
inline accessdb::Value Present(accessdb::ColumnType type) {
    accessdb::Value v = accessdb::Value::Null(type);
    v.null = false;
    return v;
}

// A value of `type` whose `field` holds `content`.
template <class T, class U>
accessdb::Value Holding(accessdb::ColumnType type, T accessdb::Value::*field, U&& content) {
    accessdb::Value v = Present(type);
    v.*field = std::forward<U>(content);
    return v;
}

inline accessdb::Value LongValue(std::int64_t n) {
    return Holding(accessdb::ColumnType::Long, &accessdb::Value::integer, n);
}

inline accessdb::Value TextValue(const std::string& text,
                                 accessdb::ColumnType type = accessdb::ColumnType::Text) {
    return Holding(type, &accessdb::Value::text, text);
}

// Days since 1899-12-30.
inline accessdb::Value DateValue(double days) {
    return Holding(accessdb::ColumnType::DateTime, &accessdb::Value::real, days);
}

// Currency in ten-thousandths.
inline accessdb::Value CurrencyValue(std::int64_t scaled) {
    return Holding(accessdb::ColumnType::Currency, &accessdb::Value::integer, scaled);
}

}  // namespace writetest
