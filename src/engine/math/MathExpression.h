// The field math language: numbers, arithmetic, comparison and bitwise logic, one-argument
// functions and field(n) references, evaluated by precedence climbing over a one-token
// look-ahead tokenizer. An evaluation always yields a value, partial after an error.
#pragma once

#include <string>
#include <string_view>

#include "engine/FieldData.h"
#include "engine/LocaleInfo.h"
#include "engine/math/Value.h"

namespace quorvane {

class MathEvaluator {
  public:
    explicit MathEvaluator(const LocaleInfo& locale);

    // Evaluates expression over the pending field values. The result is always stored in
    // result, also after an error; returns true when no error occurred.
    bool EvaluateFieldMath(std::string_view expression, const FieldDataArray& fields,
                           Value& result);

  private:
    class Run;  // the evaluation state of one call (tokenizer, current token, error flag)
    const LocaleInfo& locale_;
    // rnd keeps its sequence across calls for the life of the evaluator.
    uint32_t rndState_ = 0x50000;
    float rndLast_ = 0;
};

}  // namespace quorvane
