// SPDX-License-Identifier: Apache-2.0
#include "report/results_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/replaced_mode.h"
#include "report/number_format.h"
#include "solver/calc_state.h"
#include "solver/screw_zones.h"

namespace kelvado {
namespace {

// The two double-byte characters of the file, as their Shift-JIS pairs.
constexpr const char* kDegC = "\x81\x8E";
constexpr const char* kWideSpace = "\x81\x40";
constexpr const char* kCrLf = "\r\n";

// Four blanks, the caption, blanks up to the fixed position of "=", then two blanks.
std::string Label(const std::string& caption, std::size_t equalsPosition) {
  std::string label = "    " + caption;
  if (label.size() < equalsPosition - 1) label.append(equalsPosition - 1 - label.size(), ' ');
  return label + "=  ";
}

std::string Deg(const char* before, const char* after) { return std::string(before) + kDegC + after; }

void Line(std::string& out, const std::string& text = {}) {
  out += text;
  out += kCrLf;
}

// A field of a progress or node line with the blanks that separate it from the one before.
void AppendField(std::string& line, const char* blanks, const std::string& text) {
  line += blanks;
  line += text;
}

std::string ToUtf8(const std::string& sjis) {
  std::string out;
  out.reserve(sjis.size() + 16);
  for (std::size_t i = 0; i < sjis.size(); ++i) {
    if (sjis[i] == '\x81' && i + 1 < sjis.size() && sjis[i + 1] == '\x8E') {
      out += "\xE2\x84\x83";  // U+2103
      ++i;
    } else if (sjis[i] == '\x81' && i + 1 < sjis.size() && sjis[i + 1] == '\x40') {
      out += "\xE3\x80\x80";  // U+3000
      ++i;
    } else {
      out += sjis[i];
    }
  }
  return out;
}

// 0, or the error that stopped the write.
int WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

SinkWrite Failed(std::string detail) { return {SinkWrite::Result::Failed, std::move(detail)}; }

// The unfinished file: hidden beside the target, its name short enough for any target's.
std::string TemporaryPattern(const std::string& target) {
  const std::size_t slash = target.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  std::size_t length = std::min<std::size_t>(target.size() - nameStart, 200);
  while (length > 0 && (static_cast<unsigned char>(target[nameStart + length]) & 0xC0) == 0x80) --length;
  return target.substr(0, nameStart) + "." + target.substr(nameStart, length) + ".XXXXXX";
}

}  // namespace

std::string CutResultFileName(const std::string& name) {
  // Only the file name is cut: shortening a folder of the path would write somewhere else.
  const std::size_t slash = name.rfind('/');
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  if (name.size() - start <= kMaxResultFileName) return name;
  std::size_t cut = start + kMaxResultFileName;
  // Back off to the start of a character: UTF-8 continuation bytes are 10xxxxxx.
  while (cut > start && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
  return name.substr(0, cut);
}

std::string HeaderBlockText(const CalcState& s, char sep, FlowModel model) {
  constexpr std::size_t kInputEq = 45;
  constexpr std::size_t kOperatingEq = 52;
  std::string out;
  auto value = [&](const std::string& caption, std::size_t eq, const std::string& number) {
    Line(out, Label(caption, eq) + number);
  };
  Line(out);
  // A classic file is what it always was; any other names its model, so that no file can be
  // taken for the other model's.
  if (model != FlowModel::Classic) value("Flow Model", kInputEq, FlowModelName(model));
  // A screw of zones: a line each, from the hopper side.
  for (std::size_t i = 0; s.Zones != nullptr && i < s.Zones->spans.size(); ++i) {
    const ZoneSpan& z = s.Zones->spans[i];
    value("Zone " + std::to_string(i + 1) + " (turns " + FormatFixed(z.startTurns, 4, 1, sep) + " to " +
              FormatFixed(z.endTurns, 4, 1, sep) + ")",
          kInputEq,
          "depth " + FormatFixed(z.depthFrom, 5, 3, sep) + " to " + FormatFixed(z.depthTo, 5, 3, sep) + " cm, pitch " +
              FormatFixed(z.pitch, 5, 2, sep) + " cm, flight " + FormatFixed(z.flightWidth, 6, 3, sep) +
              " cm, barrel " + FormatFixed(z.barrelTemp, 5, 1, sep) + Deg(" ", ""));
  }
  value("Barrel Diameter (cm)", kInputEq, FormatFixed(s.BarrelDiameter, 5, 2, sep));
  value("L/D (-)", kInputEq, FormatFixed(s.LengthRatio, 4, 1, sep));
  value("Channel Depth (cm)", kInputEq, FormatFixed(s.ChannelDepth, 5, 2, sep));
  value("Screw Pitch (cm)", kInputEq, FormatFixed(s.ScrewPitch, 5, 2, sep));
  value("Flight Width (cm)", kInputEq, FormatFixed(s.FlightWidth, 6, 3, sep));
  value("Output (kg/hr)", kInputEq, FormatFixed(s.OutputRate, 7, 1, sep));
  value("Dimensionless Flow Rate (-)", kInputEq, FormatFixed(s.FlowRateRatio, 3, 3, sep));
  value("Density (g/cm3)", kInputEq, FormatFixed(s.Density, 5, 3, sep));
  value(Deg("Specific Heat (cal/g.", ")"), kInputEq, FormatFixed(s.SpecificHeat, 5, 3, sep));
  value(std::string("Thermal") + kWideSpace + Deg("Conductivity (cal/cm.s.", ")"), kInputEq,
        FormatFixed(s.Conductivity, 9, 6, sep));
  value(Deg("Inlet Melt Temperature (", ")"), kInputEq, FormatFixed(s.InletTemp, 5, 1, sep));
  value(Deg("Barrel Temperature (", ")"), kInputEq, FormatFixed(s.BarrelTemp, 5, 1, sep));
  Line(out);
  Line(out, "    [ Viscosity Parameter ]");
  value("Standard Viscosity (gf.s/cm2)", kInputEq, FormatFixed(s.StdViscosity, 8, 3, sep));
  value("Standard Shear Rate (1/sec)", kInputEq, FormatFixed(s.StdShearRate, 5, 1, sep));
  value(Deg("Standard Temperature (", ")"), kInputEq, FormatFixed(s.StdTemp, 5, 1, sep));
  value("Parameter n (-)", kInputEq, FormatFixed(s.PowerIndex, 5, 3, sep));
  value(Deg("Parameter b (1/", ")"), kInputEq, FormatFixed(s.TempCoeff, 9, 5, sep));
  Line(out);
  Line(out, "    [ Operating Condition ]");
  value("R.P.M. (rpm)", kOperatingEq, FormatFixed(s.Rpm, 6, 2, sep));
  value("Barrel Surface Velocity (cm/s)", kOperatingEq, FormatFixed(s.BarrelSpeed, 7, 2, sep));
  value("Transverse Velocity Component of Barrel (cm/s)", kOperatingEq,
        FormatFixed(s.BarrelSpeedX, 7, 2, sep));
  value("Downstream Velocity Component of Barrel (cm/s)", kOperatingEq,
        FormatFixed(s.BarrelSpeedZ, 7, 2, sep));
  Line(out);
  Line(out);
  Line(out, " TURN    AV T    MIX DEG    COOL(1)   ENTAL DIF     POWER      PRESS     LOOP ");
  Line(out, Deg("         (", ")      (-)   (gf.cm/sec) (gf.cm/sec) (gf.cm/sec)  (gf/cm2)"));
  return out;
}

std::string TurnLineText(const CalcState& s, char sep) {
  std::string line;
  if (s.Zones != nullptr && s.ZoneEntered == 1) {
    line = "    [ Zone " + std::to_string(s.ZoneIndex + 1) + " from turn " + FormatFixed(s.Turns, 6, 3, sep) + " ]" + kCrLf;
  }
  line += FormatFixedWidth(s.Turns, 6, 3, sep);
  AppendField(line, "  ", FormatFixedWidth(s.AvgTemp, 6, 2, sep));
  AppendField(line, " ", FormatFixedWidth(s.MixingDegree, 8, 2, sep));
  AppendField(line, "  ", FormatExpField(s.WallCooling, sep));
  AppendField(line, " ", FormatExpField(s.EnthalpyDiff, sep));
  AppendField(line, " ", FormatExpField(s.PowerInput, sep));
  AppendField(line, " ", FormatExpField(s.Pressure, sep));
  AppendField(line, "  ", IntegerText(s.ClosureIter));
  line += kCrLf;
  return line;
}

std::string OutletBlockText(const CalcState& s, char sep) {
  constexpr std::size_t kSummaryEq = 50;
  std::string out;
  Line(out);
  Line(out);
  Line(out, "[ OUTLET CONDITION ]");
  Line(out, "       TEMP     VISCOSITY        VZ            VX        SHEAR RATE");
  Line(out, Deg("       (", ")     (gf.s/cm2)    (cm/sec)      (cm/sec)       (1/sec)"));
  for (int j = 0; j < s.NNodes; ++j) {
    const std::string number = IntegerText(j + 1);
    std::string line(number.size() == 1 ? "  " : " ");
    line += number;
    AppendField(line, "   ", FormatFixedWidth(s.TempPrev[j], 5, 2, sep));
    AppendField(line, "   ", FormatExpField(s.Viscosity[j], sep));
    AppendField(line, "   ", FormatExpField(s.VelZ[j], sep));
    AppendField(line, "   ", FormatExpField(s.VelX[j], sep));
    AppendField(line, "   ", FormatExpField(s.ShearRate[j], sep));
    Line(out, line);
  }
  Line(out);
  auto value = [&](const std::string& caption, const std::string& number) {
    Line(out, Label(caption, kSummaryEq) + number);
  };
  value(Deg("Average Temperature (", ")"), FormatFixed(s.AvgTemp, 6, 2, sep));
  value("Mixing Degree (-)", FormatFixed(s.MixingDegree, 9, 3, sep));
  value("Total Power (kW)", FormatFixed(s.TotalPowerKW, 8, 3, sep));
  value("Enthalpy Difference (kW)", FormatFixed(s.EnthalpyDiffKW, 8, 3, sep));
  value("Power for Pressure Rize (kW)", FormatFixed(s.PressurePowerKW, 8, 3, sep));
  value("Cooling (1) (kW)", FormatFixed(s.Cooling1KW, 8, 3, sep));
  value("Cooling (2) (kW)", FormatFixed(s.Cooling2KW, 8, 3, sep));
  value("Outlet Pressure (kgf/cm2)", FormatFixed(s.OutletPressure, 8, 2, sep));
  Line(out);
  Line(out, "    Note: Cooling(1) is calculated from heat balance below.");
  Line(out, "            (total power = enthalpy diff. + power for press. rize + cooling(1) )");
  Line(out, "          Cooling(2) is calculated from temp. grad. at boundaries.");
  return out;
}

ResultFile::ResultFile(std::string path, char decimalSeparator, TextEncoding encoding, FlowModel model)
    : name_(std::move(path)), separator_(decimalSeparator), encoding_(encoding), model_(model) {}

ResultFile::ResultFile(ResultFile&& other) noexcept
    : name_(std::move(other.name_)),
      borrowed_(other.borrowed_),
      trailerFollows_(other.trailerFollows_),
      descriptor_(std::exchange(other.descriptor_, -1)),
      separator_(other.separator_),
      encoding_(other.encoding_),
      model_(other.model_),
      target_(std::move(other.target_)),
      temporary_(std::exchange(other.temporary_, {})),
      temporaryId_(other.temporaryId_) {}

ResultFile::~ResultFile() { DeleteUnfinished(); }

ResultFile ResultFile::OnDescriptor(int descriptor, char decimalSeparator, TextEncoding encoding, FlowModel model) {
  ResultFile file("-", decimalSeparator, encoding, model);
  file.descriptor_ = descriptor;
  file.borrowed_ = true;
  return file;
}

void ResultFile::CloseDescriptor() {
  if (descriptor_ >= 0 && !borrowed_) ::close(descriptor_);
  if (!borrowed_) descriptor_ = -1;
}

SinkWrite ResultFile::Open() {
  DeleteUnfinished();  // a header written again starts a new file
  const SinkWrite notOpened{SinkWrite::Result::NotOpened, {}};
  struct stat st {};
  const bool exists = ::stat(name_.c_str(), &st) == 0;  // through a link, to what it names
  if (exists && (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))) {
    // Non-blocking, so that a device that is not ready is refused at once.
    descriptor_ = ::open(name_.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_TRUNC);
    if (descriptor_ < 0) return notOpened;
    ::fcntl(descriptor_, F_SETFL, ::fcntl(descriptor_, F_GETFL) & ~O_NONBLOCK);
    return {};
  }
  // A FIFO or a socket is no results file, even with a reader; a file without a write bit
  // is one the user keeps, even from root.
  if (exists && (!S_ISREG(st.st_mode) || ::access(name_.c_str(), W_OK) != 0 || (st.st_mode & 0222) == 0)) {
    return notOpened;
  }
  target_ = name_;
  struct stat link {};
  if (exists && ::lstat(name_.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    std::error_code ec;
    const std::string resolved = std::filesystem::canonical(name_, ec).string();  // replace the file, keep the link
    if (!ec) target_ = resolved;
  }
  std::string temporary = TemporaryPattern(target_);
  descriptor_ = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (descriptor_ < 0) return notOpened;
  temporary_ = std::move(temporary);
  struct stat made {};
  ::fstat(descriptor_, &made);
  temporaryId_ = {made.st_dev, made.st_ino};
  ::fchmod(descriptor_, ReplacedMode(exists ? &st : nullptr));
  return {};
}

SinkWrite ResultFile::Append(std::string bytes) {
  if (descriptor_ < 0) return {SinkWrite::Result::NotOpened, {}};
  if (!temporary_.empty()) {
    // Somebody removed the temporary file, or put another file under its name: that file
    // is not this run's to write, or to put in place.
    struct stat named {};
    if (::lstat(temporary_.c_str(), &named) != 0) return {SinkWrite::Result::NotOpened, {}};
    if (named.st_dev != temporaryId_.device || named.st_ino != temporaryId_.inode) {
      return Failed("another file was put under its name during the run");
    }
  }
  if (encoding_ == TextEncoding::Utf8) bytes = ToUtf8(bytes);
  if (const int error = WriteAll(descriptor_, bytes); error != 0) return Failed(std::strerror(error));
  return {};
}

SinkWrite ResultFile::PutInPlace() {
  if (borrowed_) return {};
  const int closed = ::close(descriptor_);
  const int error = errno;
  descriptor_ = -1;
  if (closed != 0) return Failed(std::strerror(error));
  if (temporary_.empty()) return {};
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) return Failed(std::strerror(errno));
  temporary_.clear();
  return {};
}

SinkWrite ResultFile::WriteHeader(const CalcState& s) {
  if (!borrowed_) {
    if (SinkWrite opened = Open(); opened.result != SinkWrite::Result::Written) return opened;
  }
  return Append(HeaderBlockText(s, separator_, model_));
}

SinkWrite ResultFile::WriteTurnLine(const CalcState& s) { return Append(TurnLineText(s, separator_)); }

SinkWrite ResultFile::WriteOutletBlock(const CalcState& s) {
  if (SinkWrite written = Append(OutletBlockText(s, separator_)); written.result != SinkWrite::Result::Written) {
    return written;
  }
  return trailerFollows_ ? SinkWrite{} : PutInPlace();
}

SinkWrite ResultFile::WriteTrailer(std::string bytes) {
  if (SinkWrite written = Append(std::move(bytes)); written.result != SinkWrite::Result::Written) return written;
  return PutInPlace();
}

void ResultFile::DeleteUnfinished() {
  if (!temporary_.empty()) {
    // Only while the name still leads to the file this run wrote.
    struct stat named {};
    if (::lstat(temporary_.c_str(), &named) == 0 && named.st_dev == temporaryId_.device &&
        named.st_ino == temporaryId_.inode) {
      ::unlink(temporary_.c_str());
    }
    temporary_.clear();
  }
  CloseDescriptor();
}

std::string ResultPath(const RunRequest& request) {
  std::string name = CutResultFileName(request.resultFileName);
  if (request.resultFolder.empty() || name.starts_with('/')) return name;
  std::string path = request.resultFolder;
  if (!path.ends_with('/')) path += '/';
  return path + name;
}

RunOutcome RunWithResultsFile(const RunRequest& request, RunServices& services) {
  if (!request.writeResultsFile) {
    NoResultsFile none;
    return RunCalculation(request, services, none);
  }
  ResultFile file(ResultPath(request), request.decimalSeparator, request.encoding, request.flowModel);
  return RunCalculation(request, services, file);
}

}  // namespace kelvado
