#pragma once
// The part of Access's expression language that validation rules, default values and simple
// calculated columns are written in: literals ("text", 'text', numbers, #dates#, True, False,
// Null), [column] references, arithmetic (+ - * / \ Mod ^), & concatenation, comparisons,
// Between, In, Like (* ? # [a-z] [!x]), Is [Not] Null, And, Or, Xor, Not, and the functions
// Len, Date, Now, Time, Year, Month, Day, Left, Right, Mid, UCase, LCase, Trim, LTrim, RTrim,
// IsNull, Nz, Abs, Int, Fix. A column's own rule may leave out its left operand (">0",
// "Between 1 And 9", "Like 'A*'", "'M' Or 'F'"): the column's value stands in for it.
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace accessdb::rules {

struct ExprValue {
    enum class Kind { Null, Number, Text, Date, Boolean };
    Kind kind = Kind::Null;
    double number = 0;  // Number, Date (days since 1899-12-30), Boolean (-1 or 0)
    std::string text;

    static ExprValue Null() { return {}; }
    static ExprValue Of(double n) { return {Kind::Number, n, {}}; }
    static ExprValue OfText(std::string t) { return {Kind::Text, 0, std::move(t)}; }
    static ExprValue OfDate(double days) { return {Kind::Date, days, {}}; }
    static ExprValue OfBool(bool b) { return {Kind::Boolean, b ? -1.0 : 0.0, {}}; }
};

// The value of a [name] reference; throws UnknownName (below) for names it does not know.
using NameLookup = std::function<ExprValue(const std::string& name)>;

// An expression this evaluator cannot read or run; the message says what and where.
class ExpressionError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class Expression {
  public:
    // Parses `text`. With `implicitOperand`, comparisons without a left side compare the value
    // given to Evaluate. Throws ExpressionError.
    static Expression Parse(std::string_view text, bool implicitOperand);
    Expression(Expression&&) noexcept;
    Expression& operator=(Expression&&) noexcept;
    ~Expression();

    // Throws ExpressionError for a function or name it cannot evaluate.
    ExprValue Evaluate(const NameLookup& names,
                       const ExprValue& implicit = ExprValue::Null()) const;

    struct Node;

  private:
    explicit Expression(std::unique_ptr<Node> root);
    std::unique_ptr<Node> root_;
};

// Access's Like: * any run, ? one character, # one digit, [set] [!set] [a-z]; letter case
// ignored.
bool MatchesLike(std::string_view text, std::string_view pattern);

}  // namespace accessdb::rules
