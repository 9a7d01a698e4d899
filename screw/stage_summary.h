// SPDX-License-Identifier: Apache-2.0
#pragma once
// The results file's block on the stages of a screw fed with pellets: after the melt stage's
// outlet block (whose header, turns and outlet describe the melt stage alone), or alone where
// the bed reaches the screw's end. CR LF line ends, as the rest of the file.
#include <string>

namespace kelvado {

struct Plastication;

std::string StageSummaryText(const Plastication& plastication, double pelletTemp, char separator = '.');

}  // namespace kelvado
