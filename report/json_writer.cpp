#include "report/json_writer.h"

#include "report/export.h"
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

namespace {

// The length of the well-formed UTF-8 character at `i`, or 0.
std::size_t Utf8Length(const std::string& s, std::size_t i) {
  const auto at = [&](std::size_t k) { return k < s.size() ? static_cast<unsigned char>(s[k]) : 0u; };
  const unsigned lead = at(i);
  if (lead < 0x80) return 1;
  const std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                           : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
  if (length == 0) return 0;
  // The second byte's range excludes overlong forms, surrogates and values past U+10FFFF.
  const unsigned low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
  const unsigned high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
  if (at(i + 1) < low || at(i + 1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if ((at(i + k) & 0xC0) != 0x80) return 0;
  }
  return length;
}

}  // namespace

// Input texts may hold any bytes; the document holds valid UTF-8 only, each stray byte
// replaced by U+FFFD.
void JsonWriter::String(const std::string& s) {
  text_ += '"';
  for (std::size_t i = 0; i < s.size(); ++i) {
    const std::size_t length = Utf8Length(s, i);
    if (length == 0) {
      text_ += "\xEF\xBF\xBD";
      continue;
    }
    if (length > 1) {
      text_.append(s, i, length);
      i += length - 1;
      continue;
    }
    const char c = s[i];
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
