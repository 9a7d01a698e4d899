// SPDX-License-Identifier: Apache-2.0
#include "case/inputs_file.h"

#include <gtest/gtest.h>

#include "case/compose.h"
#include "solver/input_error.h"
#include "solver/input_fields.h"
#include "tests/support/temp_dir.h"

namespace kelvado {
namespace {


TEST(InputsFile, ReadsNamesAndTextsAroundCommentsBlanksAndLineEnds) {
  const FieldOverrides f = ParseInputsText(
      "# a case\n"
      "\n"
      "   \t\n"
      "density = 0.96\r\n"
      "\toutput-rate=-5   # kg/hr\n"
      "flow-rate-ratio =\n"
      "power-index = 0.4 \r\n"
      "temp-coeff= 1e-2",
      "case.txt");
  EXPECT_EQ(f[Field::Density], "0.96");
  EXPECT_EQ(f[Field::OutputRate], "-5");
  EXPECT_EQ(f[Field::FlowRateRatio], "");  // the run finds it improper
  EXPECT_EQ(f[Field::PowerIndex], "0.4");
  EXPECT_EQ(f[Field::TempCoeff], "1e-2");
  EXPECT_FALSE(f[Field::BarrelDiameter]);
}

TEST(InputsFile, ErrorsNameTheFileAndTheLine) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"density 0.96\n", "case.txt:1: expected 'name = text'"},
      {"# ok\n\n= 5\n", "case.txt:3: expected 'name = text'"},
      {"density = 1\nviscosity = 3\n", "case.txt:2: unknown input field 'viscosity'"},
      {"--density = 1\n", "case.txt:1: unknown input field '--density'"},
      {"density = 1\r\ndensity = 2\r\n", "case.txt:2: 'density' is given twice"},
      {std::string("dens\0ty\x1b[2J = 1\n", 16), "case.txt:1: unknown input field 'dens\\x00ty\\x1B[2J'"},
      {"# " + std::string(5000, 'x') + "\n", "case.txt:1: a line longer than 4 KiB"},
  };
  for (const auto& [content, message] : cases) {
    try {
      ParseInputsText(content, "case.txt");
      ADD_FAILURE() << "accepted: " << content;
    } catch (const InputError& error) {
      EXPECT_EQ(error.what(), message);
    }
  }
}

TEST(InputsFile, FileThatCanNotBeReadIsAUsageError) {
  testing::TempDir dir;
  EXPECT_THROW(ReadInputsFile(dir.file("missing.txt")), InputError);
  EXPECT_THROW(ReadInputsFile(dir.path().string()), InputError);
  EXPECT_THROW(ReadInputsFile("/dev/zero"), InputError);  // refused after 1 MiB, not read on
  testing::WriteBytes(dir.file("bom.txt"), "\xEF\xBB\xBF" "density = 1.1\n");
  EXPECT_EQ(ReadInputsFile(dir.file("bom.txt"))[Field::Density], "1.1");
}

TEST(InputsFile, CommandLineWinsOverTheFileWhichWinsOverTheDefaults) {
  testing::TempDir dir;
  testing::WriteBytes(dir.file("case.txt"), "density = 1.1\noutput-rate = 50\n");
  CaseSources options;
  options.inputsFile = dir.file("case.txt");
  options.fields[Field::Density] = "1.2";
  const InputTexts texts = ComposeInputTexts(options, '.');
  EXPECT_EQ(texts[Field::Density], "1.2");
  EXPECT_EQ(texts[Field::OutputRate], "50");
  EXPECT_EQ(texts[Field::BarrelDiameter], "6.5");
}

// Defaults, then the material (the command line's replacing the file's), then the file's
// fields, then the field options.
TEST(InputsFile, MaterialComesBeforeEveryFieldGiven) {
  testing::TempDir dir;
  testing::WriteBytes(dir.file("case.txt"), "material = ldpe\ndensity = 1.1\n");
  CaseSources options;
  options.inputsFile = dir.file("case.txt");
  options.fields[Field::TempCoeff] = "0.05";
  InputTexts texts = ComposeInputTexts(options, ',');
  EXPECT_EQ(texts[Field::Density], "1.1");
  EXPECT_EQ(texts[Field::TempCoeff], "0.05");
  EXPECT_EQ(texts[Field::StdViscosity], "246,8");  // LDPE's, written with the separator
  EXPECT_EQ(texts[Field::StdShearRate], "1,0");
  EXPECT_EQ(texts[Field::BarrelDiameter], "6,5");

  options.material = "Default melt (program's reference case)";
  texts = ComposeInputTexts(options, '.');
  EXPECT_EQ(texts[Field::StdViscosity], "10.5");
  EXPECT_EQ(texts[Field::Density], "1.1");

  options.material = "polyfantasy";
  EXPECT_THROW(ComposeInputTexts(options, '.'), InputError);
  EXPECT_THROW(ParseInputsText("material = a\nmaterial = b\n", "case.txt"), InputError);
}

// A case that writes all eight material values runs where the material it names is missing;
// one that leaves a value out needs the material.
TEST(InputsFile, MaterialOfACaseWithItsOwnValuesIsARecord) {
  std::string text = "material = Grade 7\n";
  for (const Field f : kMaterialFields) text += std::string(FieldInfo(f).optionName) + " = 0.5\n";
  InputsFile file = ParseInputsText(text, "case.txt");
  const CaseData c = ComposeCase(&file, {}, '.', nullptr);
  EXPECT_EQ(c.material, std::optional<std::string>("Grade 7"));
  EXPECT_EQ(c.inputs[Field::StdViscosity], "0.5");
  file[Field::TempCoeff].reset();
  EXPECT_THROW(ComposeCase(&file, {}, '.', nullptr), InputError);
}

}  // namespace
}  // namespace kelvado
