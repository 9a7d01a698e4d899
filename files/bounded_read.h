// SPDX-License-Identifier: Apache-2.0
#pragma once
// Reading an input file that may turn out to be a FIFO, a terminal or an endless device:
// never more than a bound of bytes, never a wait past a signal or a short time without data.
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kelvado {

class ReadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// How long a FIFO or device named by path may stay silent before it is given up on.
inline constexpr int kInputSilenceLimitMs = 5000;

// The whole content of `path` ("-": standard input, which may wait for as long as it takes,
// but not past a signal). `what` names the file in messages ("the inputs file"). Throws
// ReadError for a folder, a file that can not be opened or read, more than `maxBytes`, a
// FIFO or device that stays silent too long, and a read that a signal interrupted.
std::string ReadBoundedFile(const std::string& path, std::size_t maxBytes, std::string_view what);

}  // namespace kelvado
