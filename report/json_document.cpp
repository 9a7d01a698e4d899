// SPDX-License-Identifier: Apache-2.0
#include "report/json_document.h"

#include <cmath>
#include <cstdint>

#include "solver/input_fields.h"

namespace kelvado {

Json InputsJson(const InputTexts& inputs, char decimalSeparator) {
  Json object = Json::object();
  for (const InputField& field : kInputFields) {
    const std::string& text = inputs[field.field];
    const std::string key(field.optionName);
    if (const auto value = ParseNumber(text, decimalSeparator)) {
      object[key] = *value;
    } else {
      object[key] = text;
    }
  }
  return object;
}

namespace {

// A whole number is written as one ("8", not "8.0"), as the exports always wrote it; it
// reads back as the same double either way.
void WholeNumbersAsIntegers(Json& value) {
  if (value.is_structured()) {
    for (Json& element : value) WholeNumbersAsIntegers(element);
    return;
  }
  if (!value.is_number_float()) return;
  const double number = value.get<double>();
  constexpr double kExactIntegers = 9007199254740992.0;  // 2^53
  if (std::trunc(number) == number && std::fabs(number) < kExactIntegers && !(number == 0 && std::signbit(number))) {
    value = static_cast<std::int64_t>(number);
  }
}

}  // namespace

std::string JsonText(const Json& document) {
  Json written = document;
  WholeNumbersAsIntegers(written);
  return written.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace kelvado
