// SPDX-License-Identifier: Apache-2.0
#include "cli/decimal_separator.h"

#include <gtest/gtest.h>

namespace kelvado::cli {
namespace {

TEST(LocaleSeparator, LcAllThenLcNumericThenLang) {
  EXPECT_EQ(NumericLocaleName("C", "de_DE", "fr_FR"), "C");
  EXPECT_EQ(NumericLocaleName("", "de_DE", "fr_FR"), "de_DE");
  EXPECT_EQ(NumericLocaleName(nullptr, nullptr, "fr_FR"), "fr_FR");
  EXPECT_EQ(NumericLocaleName(nullptr, "", nullptr), "");
  EXPECT_EQ(SeparatorOfLocale(""), '.');
  EXPECT_EQ(SeparatorOfLocale("C"), '.');
  EXPECT_EQ(SeparatorOfLocale("xx_NO.SUCH-LOCALE"), '.');
}

}  // namespace
}  // namespace kelvado::cli
