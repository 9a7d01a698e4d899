// SPDX-License-Identifier: Apache-2.0
#include "files/bounded_read.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvado {
namespace {

std::string Named(std::string_view what, const std::string& path) {
  return path == "-" ? std::string(what).append(" on standard input")
                     : std::string(what).append(" '").append(path).append("'");
}

[[noreturn]] void Fail(std::string_view what, const std::string& path, const std::string& reason) {
  throw ReadError("can not read " + Named(what, path) + ": " + reason);
}

std::string SizeText(std::size_t bytes) {
  return bytes % (1 << 20) == 0 ? std::to_string(bytes >> 20) + " MiB" : std::to_string(bytes >> 10) + " KiB";
}

// Closes the descriptor it was given unless that is standard input.
struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd > STDIN_FILENO) ::close(fd);
  }
};

}  // namespace

std::string ReadBoundedFile(const std::string& path, std::size_t maxBytes, std::string_view what) {
  const bool standardInput = path == "-";
  // Non-blocking, so that opening a FIFO without a writer returns at once.
  const Descriptor in{standardInput ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
  if (in.fd < 0) Fail(what, path, std::strerror(errno));
  struct stat st {};
  if (::fstat(in.fd, &st) != 0) Fail(what, path, std::strerror(errno));
  if (S_ISDIR(st.st_mode)) Fail(what, path, "it is a folder");
  // A regular file always has its bytes at hand; anything else is waited for in slices.
  const bool mayWait = !S_ISREG(st.st_mode);
  const int silenceLimit = standardInput ? -1 : kInputSilenceLimitMs;

  std::string content;
  char buffer[1 << 16];
  for (;;) {
    if (mayWait) {
      pollfd ready{in.fd, POLLIN, 0};
      const int polled = ::poll(&ready, 1, silenceLimit);
      // A handled signal ends the wait, whatever SA_RESTART says: poll is never restarted.
      if (polled < 0 && errno == EINTR) Fail(what, path, "interrupted by a signal");
      if (polled < 0) Fail(what, path, std::strerror(errno));
      if (polled == 0) {
        Fail(what, path, "nothing came in " + std::to_string(kInputSilenceLimitMs / 1000) + " s (a FIFO or device?)");
      }
    }
    const ssize_t n = ::read(in.fd, buffer, sizeof buffer);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) continue;
    if (n < 0 && errno == EINTR) Fail(what, path, "interrupted by a signal");
    if (n < 0) Fail(what, path, std::strerror(errno));
    if (n == 0) break;
    content.append(buffer, static_cast<std::size_t>(n));
    // An endless source (/dev/zero) is refused, not read.
    if (content.size() > maxBytes) {
      throw ReadError(Named(what, path) + " is larger than " + SizeText(maxBytes) + "; is it the right file?");
    }
  }
  return content;
}

}  // namespace kelvado
