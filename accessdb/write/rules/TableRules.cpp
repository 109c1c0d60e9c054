#include "accessdb/write/rules/TableRules.h"

#include <cmath>

#include "accessdb/Error.h"
#include "accessdb/TableCursor.h"
#include "accessdb/convert/ColumnValue.h"
#include "accessdb/write/ValueChecks.h"

namespace accessdb::rules {

namespace {

constexpr long kRequired = 3314;
constexpr long kZeroLength = 3315;
constexpr long kValidationText = 3316;
constexpr long kValidationRule = 3317;

bool BooleanProperty(const Property& p) {
    return !p.data.empty() && p.data[0] != 0;
}

Rule MakeRule(const std::string& text, bool implicitOperand) {
    Rule rule;
    rule.text = text;
    try {
        rule.expression = Expression::Parse(text, implicitOperand);
    } catch (const ExpressionError& e) {
        rule.problem = e.what();
    }
    return rule;
}

[[noreturn]] void CannotEvaluate(const std::string& table, const std::string& what,
                                 const Rule& rule, const std::string& problem) {
    throw Error(ErrorKind::NotSupported, "The " + what + " of table '" + table +
                                             "' cannot be evaluated by this engine: " + rule.text +
                                             " (" + problem + "); the row is not stored.");
}

// True when a rule's result says the row breaks it: False, or zero. Null passes, as in Access.
bool Broken(const std::string& table, const std::string& what, const Rule& rule,
            const ExprValue& result) {
    if (result.kind == ExprValue::Kind::Text) {
        CannotEvaluate(table, what, rule, "it gives a text, not True or False");
    }
    return result.kind != ExprValue::Kind::Null && result.number == 0;
}

std::string ValueText(const Value& v) {
    return v.null ? "Null" : "'" + StartOf(FormatValue(v)) + "'";
}

// The value of an expression result in a column, as the column would store a default.
void ResultToValue(const std::string& table, const ColumnDef& column, const ExprValue& result,
                   Value& out) {
    out = Value::Null(column.type);
    switch (result.kind) {
        case ExprValue::Kind::Null:
            return;
        case ExprValue::Kind::Text:
            convert::TextToValue(table, column, result.text, out,
                                 convert::NumberDateLocale::English());
            return;
        case ExprValue::Kind::Date:
            if (column.type == ColumnType::DateTime) {
                out.null = false;
                out.real = result.number;
                return;
            }
            break;
        case ExprValue::Kind::Boolean:
            if (column.type == ColumnType::Boolean) {
                out.null = false;
                out.boolean = result.number != 0;
                return;
            }
            break;
        case ExprValue::Kind::Number:
            break;
    }
    if (column.type == ColumnType::Text || column.type == ColumnType::Memo) {
        out.null = false;
        out.text = result.kind == ExprValue::Kind::Boolean ? (result.number != 0 ? "True" : "False")
                                                           : FormatDouble(result.number);
        return;
    }
    convert::ExactNumber number;
    const std::string shown = FormatDouble(result.number);
    if (!convert::ParseNumber(shown, {".", ""}, number)) {
        convert::ThrowMismatch(table, column, shown);
    }
    convert::NumberToValue(table, column, number, shown, out);
}

}  // namespace

ExprValue ToExprValue(const Value& v) {
    if (v.null) {
        return ExprValue::Null();
    }
    switch (v.type) {
        case ColumnType::Boolean:
            return ExprValue::OfBool(v.boolean);
        case ColumnType::Byte:
        case ColumnType::Integer:
        case ColumnType::Long:
        case ColumnType::BigInt:
        case ColumnType::Complex:
            return ExprValue::Of(static_cast<double>(v.integer));
        case ColumnType::Currency:
            return ExprValue::Of(static_cast<double>(v.integer) / 10000.0);
        case ColumnType::Single:
        case ColumnType::Double:
            return ExprValue::Of(v.real);
        case ColumnType::DateTime:
            return ExprValue::OfDate(v.real);
        case ColumnType::Numeric: {
            convert::ExactNumber number;
            convert::ParseNumber(FormatDecimal(v.bytes, v.scale), {".", ""}, number);
            return ExprValue::Of(convert::ToDouble(number));
        }
        case ColumnType::Text:
        case ColumnType::Memo:
            return ExprValue::OfText(v.text);
        default:
            return ExprValue::OfText(FormatValue(v));
    }
}

TableRules TableRules::FromProperties(const TableDef& table, const std::vector<Property>& props) {
    TableRules rules;
    rules.columns_.resize(table.columns.size());
    for (const Property& p : props) {
        const ColumnDef* column = p.object.empty() ? nullptr : table.FindColumn(p.object);
        if (column == nullptr) {
            if (p.name == "ValidationRule" && !p.Text().empty()) {
                rules.tableRule_ = MakeRule(p.Text(), false);
            } else if (p.name == "ValidationText") {
                rules.tableText_ = p.Text();
            }
            continue;
        }
        ColumnRules& c = rules.columns_[static_cast<std::size_t>(column - table.columns.data())];
        if (p.name == "Required") {
            c.required = BooleanProperty(p);
        } else if (p.name == "AllowZeroLength") {
            c.allowZeroLength = BooleanProperty(p);
        } else if (p.name == "DefaultValue" && !p.Text().empty()) {
            std::string text = p.Text();
            if (text[0] == '=') {
                text.erase(0, 1);  // "=Date()" and "Date()" mean the same
            }
            c.defaultValue = MakeRule(text, false);
        } else if (p.name == "ValidationRule" && !p.Text().empty()) {
            c.validationRule = MakeRule(p.Text(), true);
        } else if (p.name == "ValidationText") {
            c.validationText = p.Text();
        }
    }
    for (const ColumnRules& c : rules.columns_) {
        rules.anyDefault_ = rules.anyDefault_ || c.defaultValue.has_value();
        rules.anyCheck_ =
            rules.anyCheck_ || c.required || !c.allowZeroLength || c.validationRule.has_value();
    }
    rules.anyCheck_ = rules.anyCheck_ || rules.tableRule_.has_value();
    return rules;
}

TableRules TableRules::Load(PageFile& pages, std::shared_ptr<const TableDef> catalog,
                            const TableDef& table) {
    int id = -1;
    int properties = -1;
    for (std::size_t i = 0; i < catalog->columns.size(); ++i) {
        if (EqualsIgnoreCase(catalog->columns[i].name, "Id")) {
            id = static_cast<int>(i);
        } else if (EqualsIgnoreCase(catalog->columns[i].name, "LvProp")) {
            properties = static_cast<int>(i);
        }
    }
    if (id < 0 || properties < 0) {
        return FromProperties(table, {});
    }
    TableCursor cursor(pages, std::move(catalog));
    while (cursor.Next()) {
        const auto& row = cursor.Row();
        const Value& rowId = row[static_cast<std::size_t>(id)];
        if (rowId.null || (static_cast<std::uint32_t>(rowId.integer) & 0x00FFFFFF) != table.page) {
            continue;
        }
        const Value& blob = row[static_cast<std::size_t>(properties)];
        if (blob.null || blob.bytes.empty()) {
            break;
        }
        return FromProperties(table, ReadPropertyBlob(Bytes(blob.bytes.data(), blob.bytes.size()),
                                                      pages.Header().codePage));
    }
    return FromProperties(table, {});
}

void TableRules::ApplyDefaults(const TableDef& table, std::vector<Value>& values,
                               const std::vector<bool>& supplied) const {
    if (supplied.empty() || !anyDefault_) {
        return;
    }
    const NameLookup noNames = [&](const std::string& name) -> ExprValue {
        throw ExpressionError("a default value cannot refer to [" + name + "]");
    };
    for (std::size_t i = 0; i < columns_.size() && i < values.size(); ++i) {
        const ColumnRules& c = columns_[i];
        if (supplied[i] || !c.defaultValue || table.columns[i].IsAutoNumber()) {
            continue;
        }
        const std::string what = "default value of column '" + table.columns[i].name + "'";
        if (!c.defaultValue->expression) {
            CannotEvaluate(table.name, what, *c.defaultValue, c.defaultValue->problem);
        }
        try {
            ResultToValue(table.name, table.columns[i],
                          c.defaultValue->expression->Evaluate(noNames), values[i]);
        } catch (const ExpressionError& e) {
            CannotEvaluate(table.name, what, *c.defaultValue, e.what());
        }
    }
}

void TableRules::Check(const TableDef& table, const std::vector<Value>& values) const {
    if (!anyCheck_) {
        return;  // most tables: nothing to look at, row after row
    }
    const NameLookup names = [&](const std::string& name) -> ExprValue {
        const ColumnDef* column = table.FindColumn(name);
        if (column == nullptr) {
            throw ExpressionError("there is no column [" + name + "]");
        }
        return ToExprValue(values[static_cast<std::size_t>(column - table.columns.data())]);
    };
    for (std::size_t i = 0; i < columns_.size() && i < values.size(); ++i) {
        const ColumnRules& c = columns_[i];
        const ColumnDef& column = table.columns[i];
        const Value& v = values[i];
        if (c.required && v.null && column.type != ColumnType::Boolean) {
            throw Error(ErrorKind::Constraint,
                        "The field '" + table.name + "." + column.name +
                            "' cannot contain a Null value because the Required property for "
                            "this field is set to True. Enter a value in this field.",
                        kRequired);
        }
        if (!c.allowZeroLength && !v.null && v.text.empty() &&
            (column.type == ColumnType::Text || column.type == ColumnType::Memo)) {
            throw Error(
                ErrorKind::Constraint,
                "Field '" + table.name + "." + column.name + "' cannot be a zero-length string.",
                kZeroLength);
        }
        if (!c.validationRule) {
            continue;
        }
        const std::string what = "validation rule of column '" + column.name + "'";
        if (!c.validationRule->expression) {
            CannotEvaluate(table.name, what, *c.validationRule, c.validationRule->problem);
        }
        ExprValue result;
        try {
            result = c.validationRule->expression->Evaluate(names, ToExprValue(v));
        } catch (const ExpressionError& e) {
            CannotEvaluate(table.name, what, *c.validationRule, e.what());
        }
        if (Broken(table.name, what, *c.validationRule, result)) {
            const std::string where = " (table '" + table.name + "', column '" + column.name +
                                      "', value " + ValueText(v) + ")";
            if (!c.validationText.empty()) {
                throw Error(ErrorKind::Constraint, c.validationText + where, kValidationText);
            }
            throw Error(
                ErrorKind::Constraint,
                "One or more values are prohibited by the validation rule '" +
                    c.validationRule->text + "' set for '" + table.name + "." + column.name +
                    "'. Enter a value that the expression for this field can accept." + where,
                kValidationRule);
        }
    }
    if (!tableRule_) {
        return;
    }
    if (!tableRule_->expression) {
        CannotEvaluate(table.name, "validation rule", *tableRule_, tableRule_->problem);
    }
    ExprValue result;
    try {
        result = tableRule_->expression->Evaluate(names);
    } catch (const ExpressionError& e) {
        CannotEvaluate(table.name, "validation rule", *tableRule_, e.what());
    }
    if (Broken(table.name, "validation rule", *tableRule_, result)) {
        const std::string where = " (table '" + table.name + "')";
        if (!tableText_.empty()) {
            throw Error(ErrorKind::Constraint, tableText_ + where, kValidationText);
        }
        throw Error(ErrorKind::Constraint,
                    "One or more values are prohibited by the validation rule '" +
                        tableRule_->text + "' set for '" + table.name +
                        "'. Enter a value that the expression for this field can accept." + where,
                    kValidationRule);
    }
}

}  // namespace accessdb::rules
