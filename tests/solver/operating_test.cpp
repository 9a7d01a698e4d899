// SPDX-License-Identifier: Apache-2.0
#include "solver/operating.h"

#include <gtest/gtest.h>

#include <cmath>

#include "solver/calc_state.h"
#include "solver/input.h"
#include "solver/input_fields.h"
#include "tests/support/recording_services.h"

namespace kelvado {
namespace {

// Six significant digits, as engineers read the figures.
void ExpectSixDigits(double actual, double expected, const char* name) {
  EXPECT_NEAR(actual, expected, std::fabs(expected) * 5e-6) << name;
}

TEST(ComputeOperatingConditions, DerivesTheDefaultCase) {
  CalcState s;
  testing::RecordingServices services;
  ReadInputData(s, DefaultInputTexts(), '.', services);
  ComputeOperatingConditions(s);
  ExpectSixDigits(s.MassRate, 16.6667, "MassRate");
  ExpectSixDigits(s.VolumeRate, 17.3611, "VolumeRate");
  ExpectSixDigits(s.HelixAngle, 0.308169, "HelixAngle");
  ExpectSixDigits(s.HelixAngle * 180 / M_PI, 17.6568, "HelixAngle in degrees");
  ExpectSixDigits(s.ChannelWidth, 5.54379, "ChannelWidth");
  ExpectSixDigits(s.RevPerSec, 1.43058, "RevPerSec");
  ExpectSixDigits(s.Rpm, 85.8348, "Rpm");
  ExpectSixDigits(s.BarrelSpeed, 29.2129, "BarrelSpeed");
  ExpectSixDigits(s.BarrelSpeedZ, 27.8367, "BarrelSpeedZ");
  ExpectSixDigits(s.BarrelSpeedX, 8.86071, "BarrelSpeedX");
  ExpectSixDigits(s.ChannelLength, 171.439, "ChannelLength");
  ExpectSixDigits(s.StepZ, 1.07150, "StepZ");
  ExpectSixDigits(s.StepY, 0.0125, "StepY");
  ExpectSixDigits(s.CrossFlowTol, 0.00221518, "CrossFlowTol");
  EXPECT_EQ(s.ProfA, 0.0);
  EXPECT_EQ(s.ProfB, 0.0);
  EXPECT_EQ(s.NDiv, 20);
  EXPECT_EQ(s.ProbeQ1, 5);
  EXPECT_EQ(s.ProbeQ2, 10);
  EXPECT_EQ(s.ProbeQ3, 15);
  EXPECT_EQ(s.InletTempSet, -1.0);
  // The speed delivers the output at the given dimensionless flow rate.
  EXPECT_NEAR(s.FlowRateRatio * s.ChannelWidth * s.ChannelDepth * s.BarrelSpeedZ, s.VolumeRate, 1e-12);
  // Twenty steps make one turn of channel.
  EXPECT_NEAR(s.StepZ * 20 * s.LengthRatio, s.ChannelLength, 1e-12);
}

TEST(ComputeOperatingConditions, InitialProfileCoefficientsSpanInletToBarrel) {
  CalcState s;
  testing::RecordingServices services;
  InputTexts texts = DefaultInputTexts();
  texts[Field::InletTemp] = "280.0";  // inlet melt temperature
  ReadInputData(s, texts, '.', services);
  ComputeOperatingConditions(s);
  const double H = s.ChannelDepth;
  // T(y) = A y^2 + B y + Tb equals the inlet temperature at mid-depth.
  EXPECT_NEAR(s.ProfA * (H / 2) * (H / 2) + s.ProfB * (H / 2) + s.BarrelTemp, 280.0, 1e-9);
}

}  // namespace
}  // namespace kelvado
