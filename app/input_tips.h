// SPDX-License-Identifier: Apache-2.0
#pragma once
// The tip of an input field: what it is, its unit and the values a run accepts, the latter
// from the same table that refuses a run (solver/input_bounds.h).
#include <QString>

#include "solver/input_fields.h"

QString InputTip(const kelvado::InputField& field);
