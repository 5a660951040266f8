#include "engine/math/MathExpression.h"

#include "engine/math/MathFunctions.h"
#include "engine/math/MathNumberReader.h"
#include "engine/math/MathOperations.h"
#include "engine/math/MathTokenizer.h"

namespace quorvane {

namespace {

// Deeper nesting ("((((...", "----...") is an error rather than a stack overflow.
constexpr int kMaxNesting = 200;

// The binary operator a token stands for and its binding level: the operator applies while
// the current level is below it, and its right side is evaluated at that level.
bool BinaryOperator(const MathToken& token, MathBinary& op, int& binding) {
    const auto Set = [&](MathBinary o, int b) {
        op = o;
        binding = b;
        return true;
    };
    switch (token.kind) {
        case MathTokenKind::Symbol:
            switch (token.symbol) {
                case '^':
                    return Set(MathBinary::Power, 12);
                case '*':
                    return Set(MathBinary::Multiply, 11);
                case '/':
                    return Set(MathBinary::Divide, 11);
                case '\\':
                    return Set(MathBinary::IntegerDivide, 10);
                case '+':
                    return Set(MathBinary::Add, 8);
                case '-':
                    return Set(MathBinary::Subtract, 8);
                case '=':
                    return Set(MathBinary::Equal, 7);
                case '<':
                    return Set(MathBinary::Less, 7);
                case '>':
                    return Set(MathBinary::Greater, 7);
                default:
                    return false;
            }
        case MathTokenKind::Mod:
            return Set(MathBinary::Modulo, 9);
        case MathTokenKind::NotEqual:
            return Set(MathBinary::NotEqual, 7);
        case MathTokenKind::LessEqual:
            return Set(MathBinary::LessEqual, 7);
        case MathTokenKind::GreaterEqual:
            return Set(MathBinary::GreaterEqual, 7);
        case MathTokenKind::And:
            return Set(MathBinary::And, 6);
        case MathTokenKind::Or:
            return Set(MathBinary::Or, 5);
        case MathTokenKind::Xor:
            return Set(MathBinary::Xor, 4);
        case MathTokenKind::Eqv:
            return Set(MathBinary::Eqv, 3);
        case MathTokenKind::Imp:
            return Set(MathBinary::Imp, 2);
        default:
            return false;
    }
}

// A number literal: digits with "." as decimal point; a second "." ends it.
bool LiteralValue(std::string_view text, double& out) {
    const size_t second = text.find('.', text.find('.') + 1);
    if (second != text.npos) text = text.substr(0, second);
    out = 0;
    if (text.size() <= 15 && text.find('.') == text.npos) {
        // The common short integer, exact in a double without the general conversion.
        int64_t v = 0;
        for (char c : text) v = v * 10 + (c - '0');
        out = static_cast<double>(v);
        return true;
    }
    if (text.find_first_of("0123456789") == text.npos) return true;  // "." alone
    return DecimalTextToDouble(text, out);
}

}  // namespace

// One evaluation: the tokenizer over the rest of the expression, the current token and the
// error flag. A failure during evaluation sets the flag and makes its level return empty.
class MathEvaluator::Run {
  public:
    Run(MathEvaluator& owner, std::string_view expression, const FieldDataArray& fields)
        : locale_(owner.locale_),
          functions_{owner.locale_, fields, owner.rndState_, owner.rndLast_},
          tokenizer_(expression) {
        NextToken();
    }

    Value Evaluate(int level);
    bool AtEnd() const { return token_.kind == MathTokenKind::End; }
    bool error = false;

  private:
    void NextToken() { token_ = tokenizer_.Next(); }
    Value Primary();
    Value Fail() {
        error = true;
        return {};
    }

    const LocaleInfo& locale_;
    MathFunctionContext functions_;
    MathTokenizer tokenizer_;
    MathToken token_;
    int depth_ = 0;
};

Value MathEvaluator::Run::Primary() {
    switch (token_.kind) {
        case MathTokenKind::Number: {
            double d;
            if (!LiteralValue(token_.text, d)) return Fail();
            NextToken();
            return Value::Number(d);
        }
        case MathTokenKind::HexPrefix: {
            NextToken();
            const Value x = Evaluate(11);
            // The text "&h" + x read as a 32-bit hexadecimal number; the join follows the
            // rules of "+", so a number operand fails.
            Value joined = Value::FromText("&h");
            double d;
            if (!ApplyMathBinary(MathBinary::Add, joined, x, locale_) ||
                !ReadHexNumber32(std::string_view(joined.text).substr(2), d)) {
                return Fail();
            }
            return Value::Number(d);
        }
        case MathTokenKind::Not: {
            NextToken();
            Value x = Evaluate(6);
            if (!ApplyMathNot(x, locale_)) return Fail();
            return x;
        }
        case MathTokenKind::Identifier: {
            const std::string_view name = token_.text;
            NextToken();
            if (!token_.Is('(')) error = true;
            NextToken();
            Value x = Evaluate(1);
            if (!token_.Is(')')) error = true;
            NextToken();
            switch (ApplyMathFunction(name, x, functions_)) {
                case MathFunctionResult::Ok:
                    break;
                case MathFunctionResult::Failed:
                    return Fail();
                case MathFunctionResult::Unknown:
                    error = true;  // the value stays the argument
                    break;
            }
            return x;
        }
        case MathTokenKind::Symbol:
            if (token_.symbol == '-') {
                NextToken();
                Value x = Evaluate(11);
                if (!ApplyMathNegate(x, locale_)) return Fail();
                return x;
            }
            if (token_.symbol == '(') {
                NextToken();
                Value x = Evaluate(1);
                if (!token_.Is(')')) error = true;
                NextToken();
                return x;
            }
            return Fail();
        default:
            return Fail();
    }
}

Value MathEvaluator::Run::Evaluate(int level) {
    if (depth_ >= kMaxNesting) return Fail();
    ++depth_;
    Value left = Primary();
    MathBinary op;
    int binding;
    while (!error && BinaryOperator(token_, op, binding) && level < binding) {
        NextToken();
        const Value right = Evaluate(binding);
        if (!ApplyMathBinary(op, left, right, locale_)) {
            left = Fail();
            break;
        }
    }
    --depth_;
    return left;
}

MathEvaluator::MathEvaluator(const LocaleInfo& locale) : locale_(locale) {}

bool MathEvaluator::EvaluateFieldMath(std::string_view expression, const FieldDataArray& fields,
                                      Value& result) {
    Run run(*this, expression, fields);
    result = run.Evaluate(1);
    if (!run.AtEnd()) run.error = true;
    return !run.error;
}

}  // namespace quorvane
