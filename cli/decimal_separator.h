// SPDX-License-Identifier: Apache-2.0
#pragma once
// The decimal separator of the user's locale, as the window would take it from the
// regional settings.
#include <string>

namespace kelvado::cli {

// The locale that decides numbers: the first set of LC_ALL, LC_NUMERIC and LANG (null or
// empty means not set); empty when none is.
std::string NumericLocaleName(const char* lcAll, const char* lcNumeric, const char* lang);

// The radix character of the named locale; '.' for an unknown locale, an empty name or a
// separator that does not fit in one byte.
char SeparatorOfLocale(const std::string& localeName);

// SeparatorOfLocale of the locale named by this process's environment.
char SeparatorFromEnvironment();

}  // namespace kelvado::cli
