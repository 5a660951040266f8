#include "engine/MathExpression.h"

#include <charconv>
#include <cmath>

#include "engine/MathTokenizer.h"

namespace quorvane {

class MathEvaluator::Run {
  public:
    Run(MathEvaluator& owner, std::string_view expression, const FieldDataArray& fields)
        : owner_(owner), fields_(fields), tokenizer_(expression) {
        NextToken();
    }

    Value Evaluate(int level);
    bool AtEnd() const { return token_.kind == MathTokenKind::End; }
    bool error = false;

  private:
    void NextToken() { token_ = tokenizer_.Next(); }
    Value Primary();
    bool ToNumber(const Value& v, double& out) const {
        switch (v.kind) {
            case Value::Kind::Empty:
                out = 0;
                return true;
            case Value::Kind::Text:
                return ParseLocaleNumber(v.text, owner_.locale_, out);
            default:
                out = v.number;
                return true;
        }
    }

    MathEvaluator& owner_;
    const FieldDataArray& fields_;
    MathTokenizer tokenizer_;
    MathToken token_;
};

Value MathEvaluator::Run::Primary() {
    if (token_.kind == MathTokenKind::Number) {
        double v = 0;
        std::from_chars(token_.text.data(), token_.text.data() + token_.text.size(), v);
        NextToken();
        return Value::Number(v);
    }
    if (token_.Is('-')) {
        NextToken();
        Value x = Evaluate(11);
        double d;
        if (!ToNumber(x, d)) {
            error = true;
            return {};
        }
        return Value::Number(-d);
    }
    if (token_.Is('(')) {
        NextToken();
        Value x = Evaluate(1);
        if (!token_.Is(')')) error = true;
        NextToken();
        return x;
    }
    if (token_.kind == MathTokenKind::Identifier) {
        NextToken();
        if (!token_.Is('(')) error = true;
        NextToken();
        Value x = Evaluate(1);
        if (!token_.Is(')')) error = true;
        NextToken();
        double d;
        if (!ToNumber(x, d) || d < 0 || d > 42) {
            error = true;
            return {};
        }
        return Value::FromText(fields_[static_cast<size_t>(d)]);
    }
    error = true;
    return {};
}

Value MathEvaluator::Run::Evaluate(int level) {
    Value left = Primary();
    while (!error && token_.kind == MathTokenKind::Symbol) {
        const char op = token_.symbol;
        int rightLevel;
        if ((op == '*' || op == '/') && level < 11)
            rightLevel = 11;
        else if ((op == '+' || op == '-') && level < 8)
            rightLevel = 8;
        else
            break;
        NextToken();
        Value right = Evaluate(rightLevel);
        if (op == '+' && left.kind == Value::Kind::Text && right.kind == Value::Kind::Text) {
            left.text += right.text;
            continue;
        }
        double a, b;
        if (!ToNumber(left, a) || !ToNumber(right, b)) {
            error = true;
            return {};
        }
        double r = op == '*' ? a * b : op == '/' ? a / b : op == '+' ? a + b : a - b;
        if (!std::isfinite(r)) {
            error = true;
            return {};
        }
        left = Value::Number(r);
    }
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
