// SPDX-License-Identifier: Apache-2.0
#pragma once
// Text the user gave, as a message echoes it: control bytes and bytes that are no UTF-8 are
// shown as \xNN, so that a message never carries a NUL, moves the cursor or breaks the
// terminal's text; and a long text is cut, so that a message stays a line.
#include <cstddef>
#include <string>
#include <string_view>

namespace kelvado {

// Where a cell or a word of a file is echoed: enough to find it again.
inline constexpr std::size_t kShownCellChars = 40;

namespace shown_text_detail {

// The length of the UTF-8 sequence that starts `rest`, or 0 when it is none.
inline std::size_t Utf8Length(std::string_view rest) {
  const auto lead = static_cast<unsigned char>(rest[0]);
  const std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
                             : lead >= 0xF0 && lead < 0xF5 ? 4 : 0;
  if (length == 0 || length > rest.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(rest[i]) & 0xC0) != 0x80) return 0;
  }
  return length;
}

}  // namespace shown_text_detail

// `text` made safe to show; past `maxChars` characters (an escaped byte counts as one) the
// rest is left out and "…" ends it.
inline std::string ShownText(std::string_view text, std::size_t maxChars = std::string_view::npos) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string shown;
  for (std::size_t chars = 0; !text.empty(); ++chars) {
    if (chars == maxChars) return shown + "\u2026";
    const auto u = static_cast<unsigned char>(text[0]);
    const std::size_t length = shown_text_detail::Utf8Length(text);
    if (length == 0 || u < 0x20 || u == 0x7F) {
      shown += "\\x";
      shown += kHex[u >> 4];
      shown += kHex[u & 15];
      text.remove_prefix(1);
    } else {
      shown.append(text.substr(0, length));
      text.remove_prefix(length);
    }
  }
  return shown;
}

}  // namespace kelvado
