// SPDX-License-Identifier: Apache-2.0
#pragma once
// Reads RFC 4180 text back into rows of fields, for checking what kelvado-cli writes.
#include <string>
#include <vector>

namespace kelvado::testing {

// Every record must end in CR LF; quoted fields may hold commas, quotes and line ends.
inline std::vector<std::vector<std::string>> ReadCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row(1);
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c != '"') {
        row.back() += c;
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        row.back() += text[++i];
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      row.emplace_back();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      rows.push_back(row);
      row.assign(1, std::string());
      ++i;
    } else {
      row.back() += c;
    }
  }
  if (row.size() > 1 || !row[0].empty()) rows.push_back(row);  // a last record without CR LF
  return rows;
}

}  // namespace kelvado::testing
