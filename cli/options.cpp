// SPDX-License-Identifier: Apache-2.0
#include "cli/options.h"

#include <algorithm>
#include <charconv>

#include "cli/die_options.h"
#include "cli/material_fit_options.h"
#include "cli/usage_error.h"
#include "files/exit_codes.h"

namespace kelvado::cli {
namespace {

// Any other character could break the results file's line ends, the inputs file's
// comments or the range syntax.
char SeparatorOption(const std::string& text) {
  if (text != "." && text != ",") {
    throw UsageError::Of("--decimal-separator takes '.' or ',', not '", text, "'");
  }
  return text[0];
}

TextEncoding EncodingOption(const std::string& text) {
  if (text == "shift-jis") return TextEncoding::ShiftJis;
  if (text == "utf-8") return TextEncoding::Utf8;
  throw UsageError::Of("--encoding takes shift-jis or utf-8, not '", text, "'");
}

unsigned ThreadsOption(const std::string& text) {
  constexpr unsigned kMaxThreads = 1024;
  unsigned threads = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), threads);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || threads > kMaxThreads) {
    throw UsageError::Of("--threads takes a whole number from 0 (one per core) to ", std::to_string(kMaxThreads),
                         ", not '", text, "'");
  }
  return threads;
}

PressureUnit UnitsOption(const std::string& text) {
  const std::optional<PressureUnit> unit = FindPressureUnit(text);
  if (!unit) throw UsageError::Of("--units takes kgf/cm2, MPa, bar or psi, not '", text, "'");
  return *unit;
}

Shard ShardOption(const std::string& text) {
  constexpr std::size_t kMaxShards = 1'000'000;
  Shard shard;
  const char* const end = text.data() + text.size();
  const auto index = std::from_chars(text.data(), end, shard.index);
  bool read = index.ec == std::errc() && index.ptr != end && *index.ptr == '/';
  if (read) {
    const auto count = std::from_chars(index.ptr + 1, end, shard.count);
    read = count.ec == std::errc() && count.ptr == end;
  }
  if (!read || shard.count < 1 || shard.count > kMaxShards || shard.index >= shard.count) {
    throw UsageError::Of("--shard takes K/N, whole numbers with 0 <= K < N <= ", std::to_string(kMaxShards),
                         ", not '", text, "'");
  }
  return shard;
}

VariedField VaryOption(const std::string& text) {
  const std::size_t equals = text.find('=');
  if (equals == std::string::npos) throw UsageError::Of("--vary takes FIELD=FROM:TO:COUNT, not '", text, "'");
  const std::string name = text.substr(0, equals);
  VariedField varied;
  try {
    varied.zoneValue = ParseZoneValueName(name);
  } catch (const InputError& error) {
    throw UsageError::Of("--vary: ", error.what());
  }
  varied.pellet = FindPelletField(name);
  if (!varied.zoneValue && !varied.pellet) {
    const std::optional<Field> field = FindField(name);
    if (!field) throw UsageError::Of("--vary: unknown input field '", name, "'");
    varied.field = *field;
  }
  varied.range = ParseRange(std::string_view(text).substr(equals + 1), std::string("--vary ").append(name));
  return varied;
}

std::string_view CommandName(Action action) {
  switch (action) {
    case Action::Sweep: return "sweep";
    case Action::Characteristic: return "characteristic";
    default: return "a single run";
  }
}

class ArgumentReader {
 public:
  ArgumentReader(const std::vector<std::string>& args, std::size_t first) : args_(args), next_(first) {}

  bool Done() const { return next_ >= args_.size(); }
  const std::string& Take() { return args_[next_++]; }

  // The text of option `name`: the part after '=' when there is one, else the next argument
  // whatever it looks like, so that texts such as "-5" need no '='.
  std::string Value(std::string_view name, const std::optional<std::string>& inlineValue) {
    if (inlineValue) return *inlineValue;
    if (Done()) throw UsageError::Of(name, " needs a value");
    return Take();
  }

 private:
  const std::vector<std::string>& args_;
  std::size_t next_;
};

// The options that belong to some commands only.
struct CommandOption {
  std::string_view name;
  bool run, sweep, characteristic;
};
constexpr CommandOption kCommandOptions[] = {
    {"--output", true, false, false}, {"--encoding", true, false, false}, {"--json", true, false, false},
    {"--csv", true, true, true},      {"--threads", false, true, true},   {"--vary", false, true, false},
    {"--rpm", true, true, true},    {"--units", true, true, true},    {"--shard", false, true, true},
};

const CommandOption* FindCommandOption(std::string_view name) {
  for (const CommandOption& option : kCommandOptions) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

bool Takes(const CommandOption& option, Action mode) {
  return mode == Action::Run ? option.run : mode == Action::Sweep ? option.sweep : option.characteristic;
}

void ApplyCommandOption(CommandLine& command, std::string_view name, const std::string& value) {
  RunOptions& run = command.run;
  BatchOptions& batch = command.batch;
  if (name == "--output") run.resultFileName = value;
  if (name == "--encoding") run.encoding = EncodingOption(value);
  if (name == "--json") run.jsonFile = value;
  if (name == "--csv") (command.action == Action::Run ? run.csvFolder : batch.csvFile) = value;
  if (name == "--threads") batch.threads = ThreadsOption(value);
  if (name == "--vary") {
    const VariedField varied = VaryOption(value);
    for (const VariedField& earlier : batch.varied) {
      if (VariedName(earlier) == VariedName(varied)) {
        throw UsageError::Of("--vary: '", VariedName(varied), "' is varied twice");
      }
    }
    batch.varied.push_back(varied);
  }
  if (name == "--rpm") (command.action == Action::Run ? run.rpm : batch.rpm) = value;
  if (name == "--units") run.pressureUnit = UnitsOption(value);
  if (name == "--shard") batch.shard = ShardOption(value);
}

void CheckComplete(const CommandLine& command) {
  if (command.action == Action::Sweep && command.batch.varied.empty()) {
    throw UsageError::Of("sweep needs at least one --vary FIELD=FROM:TO:COUNT");
  }
  if (command.action == Action::Characteristic && (!command.batch.rpm || !command.batch.outputs)) {
    throw UsageError::Of("characteristic needs --rpm R and --output-rate FROM:TO:COUNT");
  }
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine command;
  if (!args.empty() && (args[0] == "sweep" || args[0] == "characteristic")) {
    command.action = args[0] == "sweep" ? Action::Sweep : Action::Characteristic;
  }
  const Action mode = command.action;
  std::optional<Action> shown;  // --help or --version, the last one given
  RunOptions& run = command.run;
  ArgumentReader reader(args, mode == Action::Run ? 0 : 1);
  while (!reader.Done()) {
    const std::string& arg = reader.Take();
    if (arg == "-h") {
      shown = Action::Help;
      continue;
    }
    if (arg == "--") {  // ends the options; no command takes operands
      if (!reader.Done()) throw UsageError::Of("unexpected argument '", reader.Take(), "'");
      break;
    }
    if (arg.starts_with("-o") && !arg.starts_with("--")) {  // -o FILE or -oFILE
      if (mode != Action::Run) throw UsageError::Of("-o is not an option of ", CommandName(mode));
      run.resultFileName = arg.size() > 2 ? arg.substr(2) : reader.Value("-o", std::nullopt);
      continue;
    }
    if (arg.size() <= 2 || arg.compare(0, 2, "--") != 0) {
      throw UsageError::Of("unexpected argument '", arg, "'");
    }

    const std::size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    std::optional<std::string> inlineValue;
    if (equals != std::string::npos) inlineValue = arg.substr(equals + 1);

    if (name == "--help" || name == "--version") {
      if (inlineValue) throw UsageError::Of(name, " takes no value");
      shown = name == "--help" ? Action::Help : Action::Version;
    } else if (const CommandOption* option = FindCommandOption(name)) {
      if (!Takes(*option, mode)) throw UsageError::Of(name, " is not an option of ", CommandName(mode));
      ApplyCommandOption(command, name, reader.Value(name, inlineValue));
    } else if (mode == Action::Characteristic && name == "--output-rate") {
      command.batch.outputs = ParseRange(reader.Value(name, inlineValue), name);
    } else if (mode == Action::Characteristic && name == "--flow-rate-ratio") {
      throw UsageError::Of("characteristic sets --flow-rate-ratio itself, from --rpm");
    } else if (const std::optional<Field> field = FindField(std::string_view(name).substr(2))) {
      run.fields[*field] = reader.Value(name, inlineValue);
    } else if (const std::optional<PelletField> pellet = FindPelletField(std::string_view(name).substr(2))) {
      run.pellet[static_cast<std::size_t>(*pellet)] = reader.Value(name, inlineValue);
    } else if (name == "--feed") {
      const std::string text = reader.Value(name, inlineValue);
      run.feed = FindFeed(text);
      if (!run.feed) throw UsageError::Of("--feed takes melt or pellets, not '", text, "'");
    } else if (name == "--zone") {
      run.zones.push_back(reader.Value(name, inlineValue));
    } else if (name == "--material") {
      run.material = reader.Value(name, inlineValue);
    } else if (name == "--inputs") {
      run.inputsFile = reader.Value(name, inlineValue);
    } else if (name == "--flow-model") {
      const std::string text = reader.Value(name, inlineValue);
      run.flowModel = FindFlowModel(text);
      if (!run.flowModel) throw UsageError::Of("--flow-model takes classic or consistent, not '", text, "'");
    } else if (name == "--decimal-separator") {
      run.decimalSeparator = SeparatorOption(reader.Value(name, inlineValue));
    } else {
      throw UsageError::Of("unknown option '", name, "'");
    }
  }
  if (shown) {
    command.action = *shown;
  } else {
    CheckComplete(command);
  }
  return command;
}

namespace {

std::string FieldsHelp() {
  std::string text = "Input fields, each read like the window's field (a field not given keeps its default):\n";
  for (const InputField& field : kInputFields) {
    std::string option = "  --";
    option += field.optionName;
    option += " TEXT";
    option.resize(std::max<std::size_t>(option.size() + 1, 29), ' ');
    text += option;
    text += field.caption;
    text += ", default ";
    text += field.defaultText;
    text += '\n';
  }
  return text;
}

constexpr std::string_view kCommonHelp =
    "Options of every command:\n"
    "  --inputs FILE              read fields from FILE ('-': standard input), one 'name = text'\n"
    "                             per line, '#' starts a comment; options on the command line win\n"
    "  --material NAME            fill the eight material fields (density .. temp-coeff) from\n"
    "                             the material library or the user's materials; capitals do\n"
    "                             not matter. Also 'material = NAME' in an inputs file, which\n"
    "                             --material replaces; a file that gives all eight values needs\n"
    "                             no such material. The fields go: defaults, the material, the\n"
    "                             inputs file's fields, the field options\n"
    "  --flow-model MODEL         classic (default): the flow field of the results files of old;\n"
    "                             consistent: shear stresses linear in depth, so that the\n"
    "                             pressure follows the melt's shear thinning (see the\n"
    "                             manual, share/doc/kelvado/manual.md); also 'flow-model =\n"
    "                             ...' in an inputs file\n"
    "  --feed FEED                melt (default): melt fills the screw from the hopper on, every\n"
    "                             run as before; pellets: solids conveying, melting, then melt\n"
    "                             (needs the consistent model and --rpm; see the manual,\n"
    "                             'From pellets to die'). Also 'feed = ...' in an inputs file\n"
    "  --bulk-density D, --solid-density D (g/cm3), --solid-specific-heat C (cal/g.\u00B0C),\n"
    "  --melting-temp T (\u00B0C), --heat-of-fusion H (cal/g), --barrel-friction F,\n"
    "  --screw-friction F         the pellets' solid-state data, filled from a material that\n"
    "                             has them (LDPE, HDPE, PP); also lines of an inputs file\n"
    "  --hopper-pressure P        kgf/cm2 at the bottom of the hopper, default 0.03\n"
    "  --decimal-separator C      the decimal separator of the texts, the results file and the\n"
    "                             tables, '.' or ','; default from LC_ALL, LC_NUMERIC or LANG,\n"
    "                             else '.'\n"
    "  -h, --help                 show this help (after a command: that command's alone)\n"
    "  --version                  show the version\n"
    "  --                         ends the options\n";

constexpr std::string_view kRunHelp =
    "Options of a single run:\n"
    "  -o, --output FILE          the results file, default result.txt (also -oFILE)\n"
    "  --encoding ENC             shift-jis (default) or utf-8, for the two non-ASCII\n"
    "                             characters of the results file\n"
    "  --csv DIR                  after a finished run, write DIR/steps.csv (every step) and\n"
    "                             DIR/outlet.csv (every depth node at the outlet), making DIR\n"
    "                             if missing; a run that does not finish writes neither\n"
    "  --json FILE                write the inputs, operating conditions, steps, outlet\n"
    "                             profiles and power balance as JSON; written however the run\n"
    "                             ends, its \"status\" says how\n"
    "  --units UNIT               the pressure of the printed summary: kgf/cm2 (default), MPa,\n"
    "                             bar or psi; power stays in kW. The results file, CSV and\n"
    "                             JSON keep kgf/cm2\n"
    "  --rpm R                    drive the run at the screw speed R: the flow-rate ratio\n"
    "                             follows from it and the output, as in characteristic\n"
    "                             (also an 'rpm = R' line in an inputs file)\n"
    "  --zone TEXT                a zone of the screw, repeated from the hopper side (also\n"
    "                             'zone = TEXT' lines in an inputs file), e.g.\n"
    "                             turns=4,depth=0.6:0.25,pitch=6.5,flight-width=0.65,barrel-temp=280\n"
    "                             (depth FROM:TO falls linearly; pitch, flight-width and\n"
    "                             barrel-temp default to the fields). Zones replace L/D,\n"
    "                             the channel depth and the flow-rate ratio, need --rpm and\n"
    "                             the consistent flow model (also in characteristic and\n"
    "                             operating-point)\n"
    "-o - and --json - write to standard output; the summary then goes to standard error.\n";

constexpr std::string_view kSweepHelp =
    "sweep runs every combination of the ranges, the first --vary changing slowest:\n"
    "  --vary FIELD=FROM:TO:COUNT\n"
    "                             COUNT values evenly from FROM to TO, both included (COUNT 1:\n"
    "                             FROM alone; those between rounded to 15 digits), in place\n"
    "                             of the field's text; FROM and TO are read like that text.\n"
    "                             FIELD may be a value of a zone, zoneN.KEY (N from 1; KEY\n"
    "                             turns, depth, depth-from, depth-to, pitch, flight-width or\n"
    "                             barrel-temp), or with --feed pellets a pellet value such as\n"
    "                             barrel-friction or bulk-density\n"
    "  --rpm R                    drive every case at R rpm: its flow-rate ratio follows from\n"
    "                             its output (needed with zones)\n";

constexpr std::string_view kCharacteristicHelp =
    "characteristic holds the screw speed and, for each output, sets the dimensionless flow\n"
    "rate that needs that speed, then runs the case:\n"
    "  --rpm R                    the screw speed in rpm\n"
    "  --output-rate FROM:TO:COUNT\n"
    "                             the outputs in kg/hr, spaced as for --vary\n";

constexpr std::string_view kBatchHelp =
    "Options of sweep and characteristic:\n"
    "  --threads N                cases run at once, default one per core\n"
    "  --units UNIT               the pressure column of the printed table in kgf/cm2\n"
    "                             (default), MPa, bar or psi; the CSV file keeps kgf/cm2\n"
    "  --csv FILE                 also write the table to FILE as CSV (RFC 4180, UTF-8, units in\n"
    "                             the header, numbers with a point that read back exactly);\n"
    "                             '-': to standard output, the table then to standard error\n"
    "  --shard K/N                run only the cases whose index (from 0, in table order) is K\n"
    "                             modulo N, each row led by its case index: the N parts'\n"
    "                             CSV rows sorted by that index (sort -n) under one heading\n"
    "                             line are byte for byte the CSV of --shard 0/1\n"
    "A sweep or characteristic has at most 100000 cases, or 10000000 with --csv, and writes\n"
    "no results files. Rows are printed and written as soon as they and every row before\n"
    "them are done; the table's columns are sized by its first 1000 rows. A case that fails\n"
    "is a row with its outcome and message; the others still run. A progress bar with the\n"
    "pace and the time left is drawn on standard error when that is a terminal.\n";

constexpr std::string_view kMaterialsHelp =
    "materials lists the material library (share/kelvado/materials.json of the installation)\n"
    "and the user's materials ($XDG_CONFIG_HOME/kelvado/materials.json, by default\n"
    "~/.config/kelvado/materials.json) with their values and sources:\n"
    "  --json                     print them as a JSON list of objects: name, family, source,\n"
    "                             conversion, origin (library or user) and the eight values\n"
    "                             under the field options' names\n";

// What the exit statuses come with; the statuses themselves are the one table of
// files/exit_codes.h.
constexpr std::string_view kEveryStatusHelp =
    "Ctrl-C (SIGINT) and SIGTERM stop the work like a cancel: the unfinished results file is\n"
    "removed, --json is still written (status \"cancelled\"), a table stops where it got to\n"
    "and its CSV file is left as it was. Exports and CSV files replace an earlier file only\n"
    "once complete, and only a file the user may write (else 6); a device is written in\n"
    "place. A FIFO, socket or folder as an output is refused (6), and so are two outputs\n"
    "naming one file or an output naming an input (2). A write that fails once an output is\n"
    "open, standard output and a closed pipe included, is a write error (8). An inputs file\n"
    "may hold at most 1 MiB and 4 KiB a line; a FIFO or device that stays silent 5 s is given\n"
    "up. Every message on standard error starts with the program's name.\n";

std::string StatusHelp() {
  std::string text = ExitStatusTable();
  text.insert(text.begin(), '\n');
  return text.append("\n").append(kEveryStatusHelp);
}

std::string UsageLine(std::string_view program, std::string_view rest, bool first) {
  return std::string(first ? "Usage: " : "       ").append(program).append(rest).append("\n");
}

}  // namespace

std::string HelpText(std::string_view program, std::string_view command) {
  const std::string fields = FieldsHelp();
  auto usage = [&](std::string_view rest) { return UsageLine(program, rest, true); };
  if (command == "sweep") {
    return usage(" sweep --vary FIELD=FROM:TO:COUNT [--vary ...] [OPTIONS]") + "\n" + std::string(kSweepHelp) +
           "\n" + std::string(kBatchHelp) + "\n" + fields + "\n" + std::string(kCommonHelp) + StatusHelp();
  }
  if (command == "characteristic") {
    return usage(" characteristic --rpm R --output-rate FROM:TO:COUNT [OPTIONS]") + "\n" +
           std::string(kCharacteristicHelp) + "\n" + std::string(kBatchHelp) + "\n" + fields + "\n" +
           std::string(kCommonHelp) + StatusHelp();
  }
  if (command == "operating-point" || command == "die-curve") {
    const bool point = command == "operating-point";
    return usage(point ? DieUsage(DieCommand::OperatingPoint) : DieUsage(DieCommand::DieCurve)) + "\n" +
           DieCommandHelp(point ? DieCommand::OperatingPoint : DieCommand::DieCurve) + "\n" + fields + "\n" +
           std::string(kCommonHelp) + StatusHelp();
  }
  if (command == "materials") {
    return usage(" materials [--json]") + FitUsageLines(program) + "\n" + std::string(kMaterialsHelp) + "\n" +
           FitCommandsHelp() + StatusHelp();
  }
  // materials fit, from-cross-wlf and from-carreau: that one's usage and the fit's options.
  if (const std::optional<FitSource> source =
          command.starts_with("materials ") ? FindFitSource(std::string(command.substr(10))) : std::nullopt) {
    return "Usage: " + FitUsage(program, *source) + "\n" + FitCommandsHelp() + StatusHelp();
  }

  std::string text = usage(" [OPTIONS]");
  text += UsageLine(program, " sweep --vary FIELD=FROM:TO:COUNT [--vary ...] [OPTIONS]", false);
  text += UsageLine(program, " characteristic --rpm R --output-rate FROM:TO:COUNT [OPTIONS]", false);
  text += UsageLine(program, DieUsage(DieCommand::OperatingPoint), false);
  text += UsageLine(program, DieUsage(DieCommand::DieCurve), false);
  text += UsageLine(program, " materials [--json]", false);
  text += FitUsageLines(program);
  text += UsageLine(program, " COMMAND --help", false);
  text +=
      "\n"
      "Computes the non-isothermal melt flow in the metering zone of a single-screw extruder\n"
      "and writes the results file. On success the outlet summary goes to standard output.\n"
      "'sweep' and 'characteristic' run many cases instead and print a table, one row a case.\n"
      "\n";
  text += fields + "\n" + std::string(kCommonHelp) + "\n" + std::string(kRunHelp) + "\n" + std::string(kSweepHelp) +
          "\n" + std::string(kCharacteristicHelp) + "\n" + std::string(kBatchHelp) + "\n" +
          DieCommandHelp(DieCommand::OperatingPoint) + "\n" + DieCommandHelp(DieCommand::DieCurve) + "\n" +
          std::string(kMaterialsHelp) + "\n" + FitCommandsHelp() + StatusHelp();
  return text;
}

}  // namespace kelvado::cli
