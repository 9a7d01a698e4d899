#pragma once
// A command line or inputs file that cannot be understood: the program stops before any run.
#include <stdexcept>
#include <string>
#include <string_view>

namespace kelvado::cli {

class UsageError : public std::runtime_error {
 public:
  explicit UsageError(const std::string& what) : std::runtime_error(what) {}

  // The message made of `parts` in order.
  template <typename... Parts>
  static UsageError Of(const Parts&... parts) {
    std::string text;
    (text.append(std::string_view(parts)), ...);
    return UsageError(text);
  }
};

}  // namespace kelvado::cli
