// SPDX-License-Identifier: Apache-2.0
#include "solver/input.h"

#include <algorithm>
#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <locale.h>

#include "solver/calc_state.h"
#include "solver/input_bounds.h"
#include "solver/input_fields.h"
#include "solver/services.h"
#include "solver/shown_text.h"

namespace kelvado {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// strtod in the C locale, whatever the process's locale is.
double StrtodC(const char* text) {
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return strtod_l(text, nullptr, cLocale);
}

}  // namespace

std::optional<double> ParseNumber(std::string_view text, char decimalSeparator) {
  std::size_t pos = 0;
  const std::size_t end = text.size();
  while (pos < end && text[pos] == ' ') ++pos;

  // The accepted text is rebuilt in C syntax and handed to a correctly rounding converter.
  std::string canonical;
  canonical.reserve(text.size() + 2);
  if (pos < end && (text[pos] == '+' || text[pos] == '-')) canonical += text[pos++];

  bool anyDigit = false;
  bool separatorSeen = false;
  std::string mantissa;
  while (pos < end) {
    const char c = text[pos];
    if (IsDigit(c)) {
      mantissa += c;
      anyDigit = true;
    } else if (c == decimalSeparator && !separatorSeen) {
      mantissa += '.';
      separatorSeen = true;
    } else {
      break;
    }
    ++pos;
  }
  if (!anyDigit && !separatorSeen) return std::nullopt;
  canonical += anyDigit ? mantissa : std::string("0");

  if (pos < end && (text[pos] == 'E' || text[pos] == 'e')) {
    ++pos;
    std::string exponent = "e";
    if (pos < end && (text[pos] == '+' || text[pos] == '-')) exponent += text[pos++];
    bool expDigit = false;
    while (pos < end && IsDigit(text[pos])) {
      exponent += text[pos++];
      expDigit = true;
    }
    if (expDigit) canonical += exponent;  // "1E" and "1E+" read as 1
  }
  while (pos < end && text[pos] == ' ') ++pos;
  if (pos != end) return std::nullopt;

  std::fexcept_t saved;
  std::fegetexceptflag(&saved, FE_ALL_EXCEPT);
  const double value = StrtodC(canonical.c_str());
  std::fesetexceptflag(&saved, FE_ALL_EXCEPT);
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

namespace {

std::string WithSeparator(const char* first, const char* last, char decimalSeparator) {
  std::string text(first, last);
  for (char& c : text) {
    if (c == '.') c = decimalSeparator;
  }
  return text;
}

}  // namespace

std::string ExactNumberText(double value, char decimalSeparator) {
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, value);  // shortest round trip
  return WithSeparator(buf, res.ptr, decimalSeparator);
}

std::string ShortNumberText(double value, char decimalSeparator) {
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 6);
  return WithSeparator(buf, res.ptr, decimalSeparator);
}

std::string TwoDecimalsText(double value, char decimalSeparator) {
  if (!(std::abs(value) < 1e4)) return ShortNumberText(value, decimalSeparator);
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 2);
  return WithSeparator(buf, res.ptr, decimalSeparator);
}

std::array<double*, kInputCount> InputTargets(CalcState& state) {
  std::array<double*, kInputCount> targets{};
  for (const InputField& f : kInputFields) targets[static_cast<std::size_t>(f.field)] = &(state.*f.target);
  return targets;
}

std::string InputProblemText(const CalcState& state, const InputTexts& texts, char decimalSeparator) {
  const auto field = static_cast<Field>(state.InvalidField);
  const std::string& text = texts[field];
  if (ParseNumber(text, decimalSeparator)) return CheckInputBounds(state)->message;
  return std::string(FieldInfo(field).caption) + " is not a number: '" + ShownText(text, kShownCellChars) + "'";
}

void ReadInputData(CalcState& state, const InputTexts& texts, char decimalSeparator,
                   RunServices& services) {
  const auto targets = InputTargets(state);
  for (int i = 0; i < kInputCount; ++i) {
    const std::optional<double> value = ParseNumber(texts[i], decimalSeparator);
    if (!value) {
      state.InputValid = 0;
      state.InvalidField = i;
      services.ShowInputProblem(static_cast<Field>(i), messages::kImproperInput);
      return;
    }
    *targets[i] = *value;
  }
  if (const std::optional<InputProblem> problem = CheckInputBounds(state)) {
    state.InputValid = 0;
    state.InvalidField = static_cast<int>(problem->field);
    services.ShowInputProblem(problem->field, problem->message);
    return;
  }
  state.InvalidField = -1;
  state.InputValid = 1;
}

}  // namespace kelvado
