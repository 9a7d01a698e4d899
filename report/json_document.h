// SPDX-License-Identifier: Apache-2.0
#pragma once
// The JSON documents of the exports are built as values and written in one place: compact,
// one line, numbers in the shortest form that reads back as the same double (null when not
// finite), and valid UTF-8 only (a byte of the user's texts that is no UTF-8 becomes U+FFFD).
#include <nlohmann/json.hpp>
#include <string>

#include "solver/input.h"

namespace kelvado {

// Keys stay in the order they were added.
using Json = nlohmann::ordered_json;

// Every input field by its option name: a number where the text reads as one, else the text.
Json InputsJson(const InputTexts& inputs, char decimalSeparator);

// The document's text, ending with a line end.
std::string JsonText(const Json& document);

}  // namespace kelvado
