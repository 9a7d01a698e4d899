// SPDX-License-Identifier: Apache-2.0
#include "plastication/pellet_inputs.h"

#include "solver/input.h"
#include "solver/units.h"

namespace kelvado {

const char* FeedName(Feed feed) { return feed == Feed::Pellets ? "pellets" : "melt"; }

std::optional<Feed> FindFeed(std::string_view name) {
  for (const Feed feed : {Feed::Melt, Feed::Pellets}) {
    if (name == FeedName(feed)) return feed;
  }
  return std::nullopt;
}

std::optional<PelletField> FindPelletField(std::string_view name) {
  for (const PelletFieldInfo& info : kPelletFields) {
    if (info.name == name) return info.field;
  }
  return std::nullopt;
}

std::optional<std::string> PelletInputProblem(const PelletInputs& inputs) {
  for (const PelletFieldInfo& info : kPelletFields) {
    const double v = inputs[info.field];
    std::string rule;
    switch (info.bound) {
      case PelletBound::AboveZero:
        if (!(v > 0)) rule = "above zero";
        break;
      case PelletBound::NotBelowZero:
        if (!(v >= 0)) rule = "zero or above";
        break;
      case PelletBound::AboveAbsoluteZero:
        if (!(v > kAbsoluteZero)) rule = "above absolute zero, " + ShortNumberText(kAbsoluteZero);
        break;
    }
    if (!rule.empty()) return std::string(info.caption) + " must be " + rule + "; change and try again!";
  }
  return std::nullopt;
}

}  // namespace kelvado
