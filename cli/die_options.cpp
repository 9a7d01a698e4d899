// SPDX-License-Identifier: Apache-2.0
#include "cli/die_options.h"

#include "cli/usage_error.h"

namespace kelvado::cli {
namespace {

struct OwnOption {
  std::string_view name;
  bool operatingPoint, dieCurve;
  std::optional<std::string> DieCommandLine::*text;  // null: --die, which adds a section
};

constexpr OwnOption kOwnOptions[] = {
    {"--die", true, true, nullptr},
    {"--rpm", true, false, &DieCommandLine::rpm},
    {"--output-rate", true, true, &DieCommandLine::outputRange},
    {"--melt-temp", false, true, &DieCommandLine::meltTemp},
    {"--csv", true, true, &DieCommandLine::csvFile},
    {"--json", true, false, &DieCommandLine::jsonFile},
    {"--vary", true, false, &DieCommandLine::vary},
};

// Options of a single run or a sweep that these commands have no use for.
constexpr std::string_view kForeignOptions[] = {"-o",    "--output",    "--encoding", "--vary", "--threads",
                                                "--rpm", "--melt-temp", "--json"};  // where not the command's own

std::string_view Name(DieCommand command) {
  return command == DieCommand::OperatingPoint ? "operating-point" : "die-curve";
}

}  // namespace

std::optional<DieCommand> FindDieCommand(const std::vector<std::string>& args) {
  if (args.empty()) return std::nullopt;
  if (args[0] == "operating-point") return DieCommand::OperatingPoint;
  if (args[0] == "die-curve") return DieCommand::DieCurve;
  return std::nullopt;
}

DieCommandLine ParseDieCommandLine(DieCommand command, const std::vector<std::string>& args) {
  DieCommandLine line;
  line.command = command;
  const bool point = command == DieCommand::OperatingPoint;
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const std::size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const OwnOption* own = nullptr;
    for (const OwnOption& option : kOwnOptions) {
      if (option.name == name && (point ? option.operatingPoint : option.dieCurve)) own = &option;
    }
    if (own != nullptr) {
      if (equals == std::string::npos && i + 1 == args.size()) throw UsageError::Of(name, " needs a value");
      std::string value = equals != std::string::npos ? arg.substr(equals + 1) : args[++i];
      (own->text == nullptr ? line.dieTexts.emplace_back() : (line.*own->text).emplace()) = std::move(value);
      continue;
    }
    if (arg == "--") {  // ends the options; neither command takes operands
      if (i + 1 < args.size()) throw UsageError::Of("unexpected argument '", args[i + 1], "'");
      break;
    }
    for (const std::string_view foreign : kForeignOptions) {
      if (name == foreign || (foreign == "-o" && name.starts_with("-o") && !name.starts_with("--"))) {
        throw UsageError::Of(foreign == "-o" ? "-o" : name, " is not an option of ", Name(command));
      }
    }
    if (point && name == "--flow-rate-ratio") {
      throw UsageError::Of("operating-point sets --flow-rate-ratio itself, from --rpm");
    }
    if (arg.compare(0, 1, "-") != 0) throw UsageError::Of("unexpected argument '", arg, "'");
    // Every other option of a run takes a value but --help and --version; it goes with it.
    rest.push_back(arg);
    if (arg.compare(0, 2, "--") == 0 && equals == std::string::npos && arg != "--help" && arg != "--version" &&
        i + 1 < args.size()) {
      rest.push_back(args[++i]);
    }
  }

  const CommandLine common = ParseCommandLine(rest);
  line.run = common.run;
  if (common.action == Action::Help || common.action == Action::Version) {
    line.shown = common.action;
    return line;
  }
  if (point && !line.rpm) throw UsageError::Of("operating-point needs --rpm R");
  if (!point && (!line.meltTemp || !line.outputRange)) {
    throw UsageError::Of("die-curve needs --melt-temp T and --output-rate FROM:TO:COUNT");
  }
  return line;
}

std::string DieUsage(DieCommand command) {
  return command == DieCommand::OperatingPoint
             ? " operating-point --rpm R --die SECTION [--die SECTION ...] [OPTIONS]"
             : " die-curve --die SECTION [...] --melt-temp T --output-rate FROM:TO:COUNT [OPTIONS]";
}

std::string DieCommandHelp(DieCommand command) {
  if (command == DieCommand::OperatingPoint) {
    return "operating-point holds the screw speed and finds the output at which the screw's outlet\n"
         "pressure equals the die's pressure drop, the die taking the melt at the run's mean outlet\n"
         "temperature with the power law of the input fields. It prints the point and a row per\n"
         "die section:\n"
         "  --rpm R                    the screw speed in rpm\n"
         "  --die SECTION              a section of the die, the melt passing them in the order\n"
         "                             given; lengths in cm, numbers always with a point:\n"
         "                               circular:diameter=D,length=L   (strand or rod)\n"
         "                               slit:width=W,gap=H,length=L    (sheet; W well above H)\n"
         "                               annulus:outer=DO,inner=DI,length=L   (pipe or tube)\n"
         "                             an inputs file may hold them as 'die = SECTION' lines, used\n"
         "                             when no --die is given\n"
         "  --output-rate FROM:TO      the outputs searched, kg/hr; default 10 % to 120 % of the\n"
         "                             drag flow at that speed. Up to ten runs scan it from the top\n"
         "                             down until the two curves cross, Brent's method then closes\n"
         "                             in to 0.1 % of the output; the point is the last best run,\n"
         "                             never an interpolation. A run that does not converge is tried\n"
         "                             again at outputs next to it\n"
         "  --csv FILE                 when a point is found, a row per die section with the\n"
         "                             point's values on each\n"
         "  --json FILE                the point (operatingPoint), the sections (dieSections) and\n"
         "                             every screw run of the search; written however it ends\n"
         "  --feed pellets             a flood-fed screw: the output at which the pressure built\n"
         "                             from the hopper meets the die's drop, below what the feed\n"
         "                             conveys, and what limits it (die, feed or melting); no\n"
         "                             --output-rate. With --vary NAME=FROM:TO:COUNT (a field, a\n"
         "                             zone value or a pellet value) that output for each value\n"
         "  --units UNIT               the pressures printed in kgf/cm2 (default), MPa, bar or psi;\n"
         "                             the CSV and JSON keep kgf/cm2\n"
         "A die has at most 100 sections. Each is isothermal, with the exact power-law solution\n"
         "(an annulus solved numerically); a slit less than twenty times as wide as its gap gets a\n"
         "warning, as its side walls are left out. Wall shear rates: the apparent (Newtonian) one,\n"
         "32 Q/(pi D^3) or 6 Q/(W H^2) (an annulus as the slit of its gap and mean circumference;\n"
         "JSON wallShearRate_per_s), and the true one at the wall (trueWallShearRate_per_s).\n"
         "Example:\n"
         "  kelvado-cli operating-point --rpm 80 --die circular:diameter=0.3,length=3\n";
  }
  return "die-curve prints the die's pressure drop and each section's apparent wall shear rate\n"
         "over a range of outputs, the melt at one temperature:\n"
         "  --die SECTION              a die section, in the order the melt passes them:\n"
         "                             circular:diameter=D,length=L, slit:width=W,gap=H,length=L\n"
         "                             or annulus:outer=DO,inner=DI,length=L, in cm\n"
         "  --melt-temp T              the melt temperature in the die, \u00B0C\n"
         "  --output-rate FROM:TO:COUNT\n"
         "                             COUNT outputs in kg/hr evenly from FROM to TO, both included\n"
         "  --csv FILE                 also write the table as CSV ('-': to standard output, the\n"
         "                             table then to standard error)\n"
         "  --units UNIT               the pressures printed in kgf/cm2 (default), MPa, bar or psi;\n"
         "                             the CSV keeps kgf/cm2\n"
         "Rows are printed and written as they are worked out.\n";
}

}  // namespace kelvado::cli
