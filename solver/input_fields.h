#pragma once
// The seventeen input fields as the window shows them: caption, default text, whether the
// user may edit it, and the command-line option that stands for it.
#include <array>
#include <string_view>

#include "input.h"

namespace kelvado {

struct InputField {
  std::string_view editName;    // Edit1 .. Edit17
  std::string_view caption;     // UTF-8
  std::string_view defaultText;
  bool editable;
  std::string_view optionName;  // without the leading "--"
};

inline constexpr std::array<InputField, kInputCount> kInputFields{{
    {"Edit1", "Barrel Diameter (cm)", "6.5", true, "barrel-diameter"},
    {"Edit2", "L/D (-)", "8.0", true, "length-ratio"},
    {"Edit3", "Channel Depth (cm)", "0.25", true, "channel-depth"},
    {"Edit4", "Screw Pitch (cm)", "6.5", true, "screw-pitch"},
    {"Edit5", "Flight Width (cm)", "0.65", true, "flight-width"},
    {"Edit6", "Output (kg/hr)", "60.0", true, "output-rate"},
    {"Edit7", "Dimensionless Flow Rate (-)", "0.45", true, "flow-rate-ratio"},
    {"Edit8", "Density (g/cm3)", "0.96", false, "density"},
    {"Edit9", "Specific Heat (cal/g.\u2103)", "0.68", false, "specific-heat"},
    {"Edit10", "Thermal\u3000Conductivity (cal/cm.s.\u2103)", "0.00052", false, "conductivity"},
    {"Edit11", "Inlet Melt Temperature (\u2103)", "300.0", true, "inlet-temp"},
    {"Edit12", "Barrel Temperature (\u2103)", "300.0", true, "barrel-temp"},
    {"Edit13", "Std. Vis. (gf.s/cm2)", "10.5", false, "std-viscosity"},
    {"Edit14", "Std. SR (1/sec)", "100.0", false, "std-shear-rate"},
    {"Edit15", "Std. Temp. (\u2103)", "290.0", false, "std-temp"},
    {"Edit16", "Parameter n (-)", "0.786", false, "power-index"},
    {"Edit17", "Parameter b (1/\u2103)", "0.0337", false, "temp-coeff"},
}};

// The position of the field with that option name, or -1.
constexpr int FieldIndex(std::string_view optionName) {
  for (int i = 0; i < kInputCount; ++i) {
    if (kInputFields[i].optionName == optionName) return i;
  }
  return -1;
}

inline constexpr std::string_view kDefaultResultFileName = "result.txt";

// The default texts are written with a point; where the user's decimal separator is
// another character they are shown with it, so that the defaults read as they should.
inline InputTexts DefaultInputTexts(char decimalSeparator = '.') {
  InputTexts texts;
  for (int i = 0; i < kInputCount; ++i) {
    texts[i] = std::string(kInputFields[i].defaultText);
    for (char& c : texts[i]) {
      if (c == '.') c = decimalSeparator;
    }
  }
  return texts;
}

}  // namespace kelvado
