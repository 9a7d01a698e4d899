#include "report/json_document.h"

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

std::string JsonText(const Json& document) {
  return document.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace kelvado
