// SPDX-License-Identifier: Apache-2.0
#include "materials/viscosity_table.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>

#include "files/bounded_read.h"
#include "solver/input.h"
#include "solver/shown_text.h"
#include "solver/units.h"

namespace kelvado {
namespace {

constexpr std::size_t kMaxTableBytes = 4 << 20;

constexpr std::string_view kBlanks = " \t\r";

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// The cells of a line, blanks around each dropped. A cell in double quotes is taken whole,
// separators inside it and "" for a quote; a quote left open, or one inside a bare cell, is
// refused: the cells after it could not be told apart.
std::vector<std::string> Cells(std::string_view line, char separator, const std::string& where) {
  std::vector<std::string> cells;
  std::size_t pos = 0;
  while (true) {
    while (pos < line.size() && kBlanks.find(line[pos]) != std::string_view::npos) ++pos;
    const std::string cellName = "cell " + std::to_string(cells.size() + 1);
    std::string cell;
    if (pos < line.size() && line[pos] == '"') {
      for (++pos;; ++pos) {
        if (pos >= line.size()) throw FitError(where + cellName + " opens a quote that is not closed");
        if (line[pos] != '"') {
          cell += line[pos];
        } else if (pos + 1 < line.size() && line[pos + 1] == '"') {
          cell += line[++pos];
        } else {
          break;
        }
      }
      ++pos;
      while (pos < line.size() && kBlanks.find(line[pos]) != std::string_view::npos) ++pos;
      if (pos < line.size() && line[pos] != separator) throw FitError(where + cellName + " goes on after its closing quote");
    } else {
      const std::size_t end = std::min(line.find(separator, pos), line.size());
      cell = Trim(line.substr(pos, end - pos));
      if (cell.find('"') != std::string::npos) {
        throw FitError(where + cellName + " '" + ShownText(cell, kShownCellChars) + "' has a quote inside; quote the whole cell");
      }
      pos = end;
    }
    cells.push_back(std::move(cell));
    if (pos >= line.size()) return cells;
    ++pos;  // the separator
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
  std::size_t cells = 0;  // every line has the header's
};

Layout ReadHeader(const std::vector<std::string>& names, const std::string& where) {
  std::optional<std::size_t> temp, shearRate, pascal, gramForce;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!names[i].empty() && std::find(names.begin(), names.begin() + i, names[i]) != names.begin() + i) {
      throw FitError(where + "the header names the column '" + ShownText(names[i], kShownCellChars) +
                     "' twice; which one to read is not clear");
    }
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
  layout.cells = names.size();
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
      layout = ReadHeader(Cells(line, separator, where), where);
      continue;
    }
    const std::vector<std::string> cells = Cells(line, separator, where);
    if (cells.size() != layout->cells) {
      // In a file of commas, a number written with a decimal comma splits into two cells.
      const bool decimalComma = separator == ',' && cells.size() > layout->cells;
      throw FitError(where + "has " + std::to_string(cells.size()) + " cells, the header " +
                     std::to_string(layout->cells) +
                     (decimalComma ? "; a decimal comma? Between commas a number takes a point (or use ';' between cells)"
                                   : ""));
    }
    constexpr std::array<const char*, 3> kNames{"temp_C", "shear_rate_per_s", "the viscosity"};
    const std::array<std::size_t, 3> columns{layout->temp, layout->shearRate, layout->viscosity};
    std::array<double, 3> values{};
    for (std::size_t k = 0; k < 3; ++k) {
      const std::optional<double> value = Number(cells[columns[k]], separator);
      if (!value) {
        throw FitError(where + kNames[k] + " '" + ShownText(cells[columns[k]], kShownCellChars) + "' is not a number");
      }
      if (k == 0 && !(*value > kAbsoluteZero)) {
        throw FitError(where + kNames[k] + " " + ShortNumberText(*value) + " is not above absolute zero, " +
                       ShortNumberText(kAbsoluteZero));
      }
      if (k > 0 && !(*value > 0)) throw FitError(where + kNames[k] + " " + ShortNumberText(*value) + " is not above zero");
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
