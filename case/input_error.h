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
  // bytes are shown as \xNN, so that a message never carries a NUL or moves the cursor.
  template <typename... Parts>
  static InputError Of(const Parts&... parts) {
    std::string text;
    (AppendShown(text, std::string_view(parts)), ...);
    return InputError(text);
  }

 private:
  static void AppendShown(std::string& text, std::string_view part) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : part) {
      const auto u = static_cast<unsigned char>(c);
      if (u < 0x20 || u == 0x7F) {
        text += "\\x";
        text += kHex[u >> 4];
        text += kHex[u & 15];
      } else {
        text += c;
      }
    }
  }
};

}  // namespace kelvado
