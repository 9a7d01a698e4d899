// SPDX-License-Identifier: Apache-2.0
#include "cli/message_prefix.h"

namespace kelvado::cli {

PrefixedLines::~PrefixedLines() { Emit(); }

PrefixedLines::int_type PrefixedLines::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  pending_ += traits_type::to_char_type(c);
  if (pending_.back() == '\n' && !Emit()) return traits_type::eof();
  return c;
}

int PrefixedLines::sync() { return Emit() ? 0 : -1; }

// Each line goes out in one write, so that two programs' messages interleave no worse
// than by lines.
bool PrefixedLines::Emit() {
  if (pending_.empty()) return true;
  std::string text = lineStart_ ? prefix_ + pending_ : pending_;
  lineStart_ = pending_.back() == '\n';
  pending_.clear();
  target_.write(text.data(), static_cast<std::streamsize>(text.size()));
  target_.flush();
  return static_cast<bool>(target_);
}

}  // namespace kelvado::cli
