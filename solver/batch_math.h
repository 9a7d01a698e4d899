// SPDX-License-Identifier: Apache-2.0
#pragma once
// Elementary functions over whole arrays, in loops the compiler vectorises (see batch_math.cpp
// for why that file is built apart). Each value is within a few units in the last place of
// the library function's.

namespace kelvado {

// out[k] = asin(sqrt(x[k])) for x[k] in [0, 1] (values outside are taken at the nearer end).
// Leaves the floating-point exception flags as it found them; a NaN gives a NaN.
void AsinOfRoots(int count, const double* x, double* out);

// Where each of count targets falls between two places with known levels, by the line through
// them: out[k] = from[k] + (to[k] - from[k]) * clamp((target[k] - fromLevel[k]) / span, 0, 1),
// span = toLevel[k] - fromLevel[k], and out[k] = to[k] where the span is not positive.
void PlacesOfLevels(int count, const double* target, const double* fromLevel, const double* toLevel,
                    const double* from, const double* to, double* out);

}  // namespace kelvado
