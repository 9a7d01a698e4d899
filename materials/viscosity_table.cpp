// SPDX-License-Identifier: Apache-2.0
#include "materials/viscosity_table.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>

#include "files/bounded_read.h"
#include "solver/units.h"

namespace kelvado {
namespace {

constexpr std::size_t kMaxTableBytes = 4 << 20;

std::string_view Trim(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\"";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::vector<std::string_view> Cells(std::string_view line, char separator) {
  std::vector<std::string_view> cells;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = line.find(separator, start);
    cells.push_back(Trim(line.substr(start, end == std::string_view::npos ? end : end - start)));
    if (end == std::string_view::npos) return cells;
    start = end + 1;
  }
}

std::optional<double> Number(std::string_view cell, char separator) {
  std::string text(cell);
  if (separator == ';') std::replace(text.begin(), text.end(), ',', '.');
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

// Where each quantity stands in a line, and the factor that takes its viscosity to gf.s/cm2.
struct Layout {
  std::size_t temp = 0, shearRate = 0, viscosity = 0;
  double toGfSPerCm2 = 1;
  std::size_t needed = 0;  // cells a line must have
};

Layout ReadHeader(const std::vector<std::string_view>& names, const std::string& where) {
  std::optional<std::size_t> temp, shearRate, pascal, gramForce;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] == "temp_C") temp = i;
    if (names[i] == "shear_rate_per_s") shearRate = i;
    if (names[i] == "viscosity_Pa_s") pascal = i;
    if (names[i] == "viscosity_gf_s_per_cm2") gramForce = i;
  }
  const bool anyKnown = temp || shearRate || pascal || gramForce;
  if (!anyKnown) {
    throw FitError(where + "no header: the first line must name the columns temp_C, shear_rate_per_s and "
                           "viscosity_Pa_s or viscosity_gf_s_per_cm2");
  }
  if (!temp) throw FitError(where + "the header has no column temp_C");
  if (!shearRate) throw FitError(where + "the header has no column shear_rate_per_s");
  if (!pascal && !gramForce) throw FitError(where + "the header has no column viscosity_Pa_s or viscosity_gf_s_per_cm2");
  if (pascal && gramForce) throw FitError(where + "the header has two viscosity columns; keep one");
  Layout layout{*temp, *shearRate, pascal ? *pascal : *gramForce, pascal ? 1 / kPascalSecondPerGfSecondPerCm2 : 1};
  layout.needed = std::max({layout.temp, layout.shearRate, layout.viscosity}) + 1;
  return layout;
}

}  // namespace

std::vector<ViscosityPoint> ParseViscosityTable(std::string_view content, const std::string& origin) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (content.starts_with(kByteOrderMark)) content.remove_prefix(kByteOrderMark.size());
  std::optional<Layout> layout;
  char separator = ',';
  std::vector<ViscosityPoint> points;
  std::size_t lineNumber = 0;
  for (std::size_t start = 0; start < content.size();) {
    std::size_t end = content.find('\n', start);
    if (end == std::string_view::npos) end = content.size();
    const std::string_view line = content.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (Trim(line).empty()) continue;
    const std::string where = origin + ":" + std::to_string(lineNumber) + ": ";
    if (!layout) {
      separator = line.find(';') != std::string_view::npos ? ';' : ',';
      layout = ReadHeader(Cells(line, separator), where);
      continue;
    }
    const std::vector<std::string_view> cells = Cells(line, separator);
    if (cells.size() < layout->needed) {
      throw FitError(where + "has " + std::to_string(cells.size()) + " cells, the header " +
                     std::to_string(layout->needed) + " or more");
    }
    constexpr std::array<const char*, 3> kNames{"temp_C", "shear_rate_per_s", "the viscosity"};
    const std::array<std::size_t, 3> columns{layout->temp, layout->shearRate, layout->viscosity};
    std::array<double, 3> values{};
    for (std::size_t k = 0; k < 3; ++k) {
      const std::optional<double> value = Number(cells[columns[k]], separator);
      if (!value) throw FitError(where + kNames[k] + " '" + std::string(cells[columns[k]]) + "' is not a number");
      if (k > 0 && !(*value > 0)) throw FitError(where + kNames[k] + " " + std::string(cells[columns[k]]) +
                                                 " is not above zero");
      values[k] = *value;
    }
    points.push_back({values[0], values[1], values[2] * layout->toGfSPerCm2});
  }
  if (!layout) throw FitError(origin + ": the file is empty");
  return points;
}

std::vector<ViscosityPoint> ReadViscosityTable(const std::string& path) {
  // As an inputs file is read: a FIFO or device never blocks the open, and a wait for its
  // data ends at a signal or after a short silence.
  std::string content;
  try {
    content = ReadBoundedFile(path, kMaxTableBytes, "the data file");
  } catch (const ReadError& error) {
    throw FitError(error.what());
  }
  return ParseViscosityTable(content, path);
}

}  // namespace kelvado
