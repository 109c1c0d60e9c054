#pragma once
// The rules Access enforces on every new row of a table, read from the table's properties
// (the LvProp blob of its MSysObjects row): Required (3314), AllowZeroLength (3315), the
// columns' and the table's ValidationRule with its ValidationText (3317 / 3316), and the
// DefaultValue of columns a statement leaves out.
#include <optional>
#include <string>
#include <vector>

#include "accessdb/PageFile.h"
#include "accessdb/PropertyBlob.h"
#include "accessdb/TableDef.h"
#include "accessdb/Value.h"
#include "accessdb/write/rules/Expression.h"

namespace accessdb::rules {

struct Rule {
    std::string text;                      // as stored
    std::optional<Expression> expression;  // empty when this engine cannot read it
    std::string problem;                   // why not
};

struct ColumnRules {
    bool required = false;
    bool allowZeroLength = true;  // a column without the property allows '' (Jackcess agrees)
    std::optional<Rule> defaultValue;
    std::optional<Rule> validationRule;
    std::string validationText;
};

class TableRules {
  public:
    // From the table's properties; `columns` follow the table's column order.
    static TableRules FromProperties(const TableDef& table, const std::vector<Property>& props);
    // Reads the properties of `table` from the system catalog. A table without a property blob
    // has no rules.
    static TableRules Load(PageFile& pages, std::shared_ptr<const TableDef> catalog,
                           const TableDef& table);

    // Fills the columns not supplied (supplied[i] false) from their default values.
    void ApplyDefaults(const TableDef& table, std::vector<Value>& values,
                       const std::vector<bool>& supplied) const;
    // Throws Error (Constraint) for the first rule the row breaks, naming table, column, value.
    void Check(const TableDef& table, const std::vector<Value>& values) const;

    const std::vector<ColumnRules>& Columns() const { return columns_; }

  private:
    std::vector<ColumnRules> columns_;
    std::optional<Rule> tableRule_;
    std::string tableText_;
    bool anyDefault_ = false;  // some column has a default value
    bool anyCheck_ = false;    // some column or the table has a rule Check() applies
};

// The value of a column as the expression language sees it.
ExprValue ToExprValue(const Value& value);

}  // namespace accessdb::rules
