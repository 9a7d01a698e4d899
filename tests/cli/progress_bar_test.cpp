#include "cli/progress_bar.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kelvado::cli {
namespace {

// The drawings so far, each from its carriage return.
std::vector<std::string> Drawings(const std::string& text) {
  std::vector<std::string> drawings;
  for (std::size_t at = text.find('\r'); at != std::string::npos;) {
    const std::size_t next = text.find('\r', at + 1);
    drawings.push_back(text.substr(at + 1, next == std::string::npos ? next : next - at - 1));
    at = next;
  }
  return drawings;
}

TEST(ProgressBar, DrawsOnlyForwardAndOnlyWhenItMoves) {
  std::ostringstream out;
  ProgressBar bar(out, 400);
  bar.Update(1);
  bar.Update(2);    // still 0 %
  bar.Update(9);
  bar.Update(8);    // a slower thread reports late
  bar.Update(400);
  const std::vector<std::string> drawings = Drawings(out.str());
  ASSERT_EQ(drawings.size(), 3u) << out.str();
  EXPECT_EQ(drawings[0], "[                                        ] 1/400 cases 0%");
  EXPECT_EQ(drawings[1], "[                                        ] 9/400 cases 2%");
  EXPECT_EQ(drawings[2], "[########################################] 400/400 cases 100%");
  bar.Clear();
  EXPECT_TRUE(out.str().ends_with('\r'));
  EXPECT_EQ(Drawings(out.str()).back(), "");
}

}  // namespace
}  // namespace kelvado::cli
