#include "json_writer.h"

#include "export.h"
#include "solver/input_fields.h"

namespace kelvado {

void JsonWriter::Open(char bracket) {
  Separate();
  text_ += bracket;
  first_ = true;
}

void JsonWriter::Close(char bracket) {
  text_ += bracket;
  first_ = false;
}

void JsonWriter::Key(const std::string& key) {
  Separate();
  String(key);
  text_ += ':';
  first_ = true;  // the value follows without a comma
}

void JsonWriter::Number(const std::string& key, double value) {
  Key(key);
  Separate();
  text_ += RoundTripNumber(value);
}

void JsonWriter::Text(const std::string& key, const std::string& value) {
  Key(key);
  Item(value);
}

void JsonWriter::Item(const std::string& value) {
  Separate();
  String(value);
}

void JsonWriter::Inputs(const InputTexts& inputs, char decimalSeparator) {
  Key("inputs");
  Open('{');
  for (int i = 0; i < kInputCount; ++i) {
    const std::string key(kInputFields[i].optionName);
    if (const auto value = ParseNumber(inputs[i], decimalSeparator)) {
      Number(key, *value);
    } else {
      Text(key, inputs[i]);
    }
  }
  Close('}');
}

void JsonWriter::Separate() {
  if (!first_) text_ += ',';
  first_ = false;
}

void JsonWriter::String(const std::string& s) {
  text_ += '"';
  for (const char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      text_ += '\\';
      text_ += c;
    } else if (u < 0x20) {
      static const char* hex = "0123456789abcdef";
      text_ += "\\u00";
      text_ += hex[u >> 4];
      text_ += hex[u & 15];
    } else {
      text_ += c;
    }
  }
  text_ += '"';
}

}  // namespace kelvado
