// SPDX-License-Identifier: Apache-2.0
#include "cli/message_prefix.h"

namespace kelvado::cli {

PrefixedLines::int_type PrefixedLines::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char ch = traits_type::to_char_type(c);
  if (lineStart_) target_ << prefix_;
  lineStart_ = ch == '\n';
  target_.put(ch);
  // Each line goes out whole, so that two programs' lines interleave no worse than lines.
  if (ch == '\n') target_.flush();
  return target_ ? c : traits_type::eof();
}

int PrefixedLines::sync() {
  target_.flush();
  return target_ ? 0 : -1;
}

}  // namespace kelvado::cli
