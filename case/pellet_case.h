// SPDX-License-Identifier: Apache-2.0
#pragma once
// A case's pellet values read once into numbers: the grade's solid-state data, from the
// material or given one by one, and the hopper pressure, by default a column of pellets'.
#include <string>
#include <variant>

#include "case/fields.h"

namespace kelvado {

// The values, or why not: a value that is not a number, or solid-state data that nobody
// gave (naming what is missing); bounds are the run's to check.
std::variant<PelletInputs, std::string> ReadPelletInputs(const PelletTexts& texts, char decimalSeparator);

}  // namespace kelvado
