// SPDX-License-Identifier: Apache-2.0
#pragma once
// The mode of a file written beside its target and renamed over it: the target's own, or the
// one a new file gets under the process's umask.
#include <sys/stat.h>

namespace kelvado {

inline mode_t ReplacedMode(const struct stat* target) {
  if (target != nullptr) return target->st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace kelvado
