// SPDX-License-Identifier: Apache-2.0
#include "case/pellet_case.h"

#include "solver/shown_text.h"

namespace kelvado {

std::variant<PelletInputs, std::string> ReadPelletInputs(const PelletTexts& texts, char decimalSeparator) {
  PelletInputs inputs;
  inputs[PelletField::HopperPressure] = kDefaultHopperPressure;
  std::string missing;
  for (const PelletFieldInfo& f : kPelletFields) {
    const std::optional<std::string>& text = texts[static_cast<std::size_t>(f.field)];
    if (!text) {
      if (f.field != PelletField::HopperPressure) missing += (missing.empty() ? "--" : ", --") + std::string(f.name);
      continue;
    }
    const std::optional<double> value = ParseNumber(*text, decimalSeparator);
    if (!value) return std::string(f.caption) + " is not a number: '" + ShownText(*text, kShownCellChars) + "'";
    inputs[f.field] = *value;
  }
  if (!missing.empty()) {
    return "A screw fed with pellets needs the pellets' solid-state data: give a material that has it or " + missing +
           "; change and try again!";
  }
  return inputs;
}

}  // namespace kelvado
