#include "options.h"

#include <algorithm>

#include "usage_error.h"

namespace kelvado::cli {
namespace {

// A separator that the number grammar could confuse with a digit, a sign, the exponent
// mark or the blanks around a number would make texts ambiguous.
char SeparatorOption(const std::string& text) {
  constexpr std::string_view kReserved = "0123456789+-Ee \t";
  if (text.size() != 1 || text[0] == '\0' || kReserved.find(text[0]) != std::string_view::npos) {
    throw UsageError::Of("--decimal-separator takes one character that is not a digit, a sign, "
                         "E, e or a blank, not '", text, "'");
  }
  return text[0];
}

TextEncoding EncodingOption(const std::string& text) {
  if (text == "shift-jis") return TextEncoding::ShiftJis;
  if (text == "utf-8") return TextEncoding::Utf8;
  throw UsageError::Of("--encoding takes shift-jis or utf-8, not '", text, "'");
}

class ArgumentReader {
 public:
  explicit ArgumentReader(const std::vector<std::string>& args) : args_(args) {}

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
  std::size_t next_ = 0;
};

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine command;
  RunOptions& run = command.run;
  ArgumentReader reader(args);
  while (!reader.Done()) {
    const std::string& arg = reader.Take();
    if (arg == "-h") {
      command.action = Action::Help;
      continue;
    }
    if (arg == "-o") {
      run.resultFileName = reader.Value("-o", std::nullopt);
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
      command.action = name == "--help" ? Action::Help : Action::Version;
    } else if (const std::optional<int> field = FindField(std::string_view(name).substr(2))) {
      run.fields[*field] = reader.Value(name, inlineValue);
    } else if (name == "--output") {
      run.resultFileName = reader.Value(name, inlineValue);
    } else if (name == "--inputs") {
      run.inputsFile = reader.Value(name, inlineValue);
    } else if (name == "--decimal-separator") {
      run.decimalSeparator = SeparatorOption(reader.Value(name, inlineValue));
    } else if (name == "--encoding") {
      run.encoding = EncodingOption(reader.Value(name, inlineValue));
    } else {
      throw UsageError::Of("unknown option '", name, "'");
    }
  }
  return command;
}

std::string HelpText(std::string_view program) {
  std::string text = "Usage: ";
  text += program;
  text +=
      " [OPTIONS]\n"
      "\n"
      "Computes the non-isothermal melt flow in the metering zone of a single-screw extruder\n"
      "and writes the results file. On success the outlet summary goes to standard output.\n"
      "\n"
      "Input fields, each read like the window's field (a field not given keeps its default):\n";
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
  text +=
      "\n"
      "Other options:\n"
      "  --inputs FILE              read fields from FILE, one 'name = text' per line, '#' starts\n"
      "                             a comment; options on the command line win\n"
      "  -o, --output FILE          the results file, default result.txt\n"
      "  --decimal-separator C      the decimal separator of the texts and of the results file;\n"
      "                             default from LC_ALL, LC_NUMERIC or LANG, else '.'\n"
      "  --encoding ENC             shift-jis (default) or utf-8, for the two non-ASCII\n"
      "                             characters of the results file\n"
      "  -h, --help                 show this help\n"
      "  --version                  show the version\n"
      "\n"
      "Exit status: 0 finished, 2 usage error, 3 improper input, 4 viscosity iteration gave up,\n"
      "5 flow-rate closure gave up, 6 results file can not be opened, 7 arithmetic fault,\n"
      "8 write error after the results file was opened.\n";
  return text;
}

}  // namespace kelvado::cli
