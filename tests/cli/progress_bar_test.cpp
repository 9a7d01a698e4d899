// SPDX-License-Identifier: Apache-2.0
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

TEST(ProgressBar, ShowsThePaceAndTheTimeLeftOnceASecondHasPassed) {
  std::ostringstream out;
  double now = 100.0;
  ProgressBar bar(out, 10000, [&] { return now; });
  now = 100.5;
  bar.Update(10);  // too early to judge
  now = 140.0;
  bar.Update(20);  // same percentage, but a second and more later
  now = 140.2;
  bar.Update(21);  // same percentage, within the second: not drawn
  now = 7300.0;
  bar.Update(9000);
  now = 8000.0;
  bar.Update(10000);
  const std::vector<std::string> drawings = Drawings(out.str());
  ASSERT_EQ(drawings.size(), 4u) << out.str();
  EXPECT_TRUE(drawings[0].ends_with("] 10/10000 cases 0%")) << drawings[0];
  // 20 cases in 40 s: 0.5 a second, 9980 left take 19960 s.
  EXPECT_TRUE(drawings[1].ends_with("] 20/10000 cases 0%, 0.5 cases/s, 5:32:40 left")) << drawings[1];
  // 9000 in 7200 s: 1.25 a second, 1000 left take 800 s.
  EXPECT_TRUE(drawings[2].ends_with("] 9000/10000 cases 90%, 1.2 cases/s, 13:20 left")) << drawings[2];
  EXPECT_TRUE(drawings[3].ends_with("] 10000/10000 cases 100%, 1.3 cases/s")) << drawings[3];
}

}  // namespace
}  // namespace kelvado::cli
