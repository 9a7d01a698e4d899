// SPDX-License-Identifier: Apache-2.0
#pragma once
// A case that cannot be understood: an inputs or case file, a command line, a material name.
// The front ends stop before any run; the message names the file and line where there is one.
#include <stdexcept>
#include <string>
#include <string_view>

namespace kelvado {

class InputError : public std::runtime_error {
 public:
  explicit InputError(const std::string& what) : std::runtime_error(what) {}

  // The message made of `parts` in order. The parts may echo what the user gave: control
  // bytes and bytes that are no UTF-8 are shown as \xNN, so that a message never carries a
  // NUL, moves the cursor or breaks the terminal's text.
  template <typename... Parts>
  static InputError Of(const Parts&... parts) {
    std::string text;
    (AppendShown(text, std::string_view(parts)), ...);
    return InputError(text);
  }

 private:
  // The length of the UTF-8 sequence that starts `rest`, or 0 when it is none.
  static std::size_t Utf8Length(std::string_view rest) {
    const auto lead = static_cast<unsigned char>(rest[0]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
                               : lead >= 0xF0 && lead < 0xF5 ? 4 : 0;
    if (length == 0 || length > rest.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
      if ((static_cast<unsigned char>(rest[i]) & 0xC0) != 0x80) return 0;
    }
    return length;
  }

  static void AppendShown(std::string& text, std::string_view part) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    while (!part.empty()) {
      const auto u = static_cast<unsigned char>(part[0]);
      const std::size_t length = Utf8Length(part);
      if (length == 0 || u < 0x20 || u == 0x7F) {
        text += "\\x";
        text += kHex[u >> 4];
        text += kHex[u & 15];
        part.remove_prefix(1);
      } else {
        text.append(part.substr(0, length));
        part.remove_prefix(length);
      }
    }
  }
};

}  // namespace kelvado
