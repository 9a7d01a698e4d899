// SPDX-License-Identifier: Apache-2.0
#include "cli/decimal_separator.h"

#include <cstdlib>
#include <langinfo.h>
#include <locale.h>

namespace kelvado::cli {

std::string NumericLocaleName(const char* lcAll, const char* lcNumeric, const char* lang) {
  for (const char* name : {lcAll, lcNumeric, lang}) {
    if (name != nullptr && name[0] != '\0') return name;
  }
  return {};
}

char SeparatorOfLocale(const std::string& localeName) {
  if (localeName.empty()) return '.';
  const locale_t locale = newlocale(LC_NUMERIC_MASK, localeName.c_str(), static_cast<locale_t>(nullptr));
  if (locale == static_cast<locale_t>(nullptr)) return '.';
  const char* radix = nl_langinfo_l(RADIXCHAR, locale);
  // A locale with another radix character reads and writes with the point.
  const char separator = radix != nullptr && radix[0] == ',' && radix[1] == '\0' ? ',' : '.';
  freelocale(locale);
  return separator;
}

char SeparatorFromEnvironment() {
  return SeparatorOfLocale(
      NumericLocaleName(std::getenv("LC_ALL"), std::getenv("LC_NUMERIC"), std::getenv("LANG")));
}

}  // namespace kelvado::cli
