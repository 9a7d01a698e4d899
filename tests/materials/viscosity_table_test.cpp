// SPDX-License-Identifier: Apache-2.0
// Tables of measured viscosities as rheometers export them, through the program's reader.
#include "materials/viscosity_table.h"

#include <gtest/gtest.h>

namespace kelvado {
namespace {

// The same two points in both units and both separators; 1 gf.s/cm2 = 9.80665e-3 N.s / 1e-4 m2.
TEST(ViscosityTable, BothUnitsAndSeparatorsGiveTheSamePoints) {
  const std::vector<ViscosityPoint> gramForce =
      ParseViscosityTable("run,viscosity_gf_s_per_cm2,temp_C,shear_rate_per_s\na,10.5,200,100\nb,2.5,220,1e3\n", "g.csv");
  const std::vector<ViscosityPoint> pascal =
      ParseViscosityTable("\"temp_C\";\"shear_rate_per_s\";\"viscosity_Pa_s\"\r\n200;100;1029,69825\r\n\r\n220;1000;245,16625\r\n",
                          "p.csv");
  ASSERT_EQ(gramForce.size(), 2u);
  ASSERT_EQ(pascal.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(gramForce[i].tempC, pascal[i].tempC);
    EXPECT_EQ(gramForce[i].shearRate, pascal[i].shearRate);
    EXPECT_NEAR(pascal[i].viscosity, gramForce[i].viscosity, 1e-12 * gramForce[i].viscosity);
  }
  EXPECT_EQ(gramForce[1].viscosity, 2.5);
  EXPECT_EQ(gramForce[1].shearRate, 1000);
}

// A quoted cell is one cell, the separator and a doubled quote inside it.
TEST(ViscosityTable, AQuotedCellHoldsItsSeparatorsAndQuotes) {
  const std::vector<ViscosityPoint> points =
      ParseViscosityTable("note,temp_C,shear_rate_per_s,viscosity_gf_s_per_cm2\n\"a \"\"b\"\", c\" , \"200\",100,10.5\n", "q.csv");
  ASSERT_EQ(points.size(), 1u);
  EXPECT_EQ(points[0].tempC, 200);
  EXPECT_EQ(points[0].viscosity, 10.5);
  EXPECT_THROW(ParseViscosityTable("temp_C,shear_rate_per_s,viscosity_gf_s_per_cm2\n\"200\"x,100,10.5\n", "q.csv"), FitError);
}

}  // namespace
}  // namespace kelvado
