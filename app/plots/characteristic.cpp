// SPDX-License-Identifier: Apache-2.0
#include "app/plots/characteristic.h"


namespace plots {

std::vector<kelvado::SweepCase> CharacteristicCases(const kelvado::InputTexts& base, char separator, double rpm,
                                                    const std::vector<double>& outputs) {
  std::vector<kelvado::SweepCase> cases;
  for (const double output : outputs) cases.push_back(kelvado::CharacteristicCase(base, separator, rpm, output));
  return cases;
}

}  // namespace plots
