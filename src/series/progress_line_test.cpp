#include "series/progress_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Step {
  const char* stage;
  double fraction, elapsed;
  const char* expected;
};

}  // namespace

// A run over in a moment says nothing; a long one, once a second has passed, says
// where it is: on a terminal one line rewritten (ended at 100 % or when the stage
// changes), elsewhere a line at each new tenth.
TEST(ProgressText, QuietThenOneLineOrTenths) {
  const std::vector<Step> quick = {{"curves", 0.5, 0.4, ""},
                                   {"curves", 0.9, 0.8, ""},
                                   {"curves", 0.95, 1.1, ""}};  // 1.16 s in all
  for (bool terminal : {true, false}) {
    ProgressLine line{terminal, "", -1};
    for (const Step& s : quick) {
      EXPECT_EQ(s.expected, progress_text(&line, s.stage, s.fraction, s.elapsed));
    }
  }
  const std::vector<Step> on_terminal = {
      {"curves", 0.10, 0.5, ""},
      {"curves", 0.30, 1.2, "\rquorvane-series: curves  30 %"},
      {"curves", 0.301, 1.21, ""},
      {"curves", 0.35, 1.4, "\rquorvane-series: curves  35 %"},
      {"fit, shell 0 %", 0.5, 2.0, "\n\rquorvane-series: fit, shell 0 %  50 %"},
      {"fit, shell 0 %", 1.0, 2.5, "\rquorvane-series: fit, shell 0 % 100 %\n"},
      {"fit, shell 10 %", 0.2, 2.6, "\rquorvane-series: fit, shell 10 %  20 %"}};
  ProgressLine terminal{true, "", -1};
  for (const Step& s : on_terminal) {
    EXPECT_EQ(s.expected, progress_text(&terminal, s.stage, s.fraction, s.elapsed));
  }
  const std::vector<Step> in_a_log = {{"curves", 0.30, 1.2, "quorvane-series: curves 30 %\n"},
                                      {"curves", 0.35, 1.4, ""},
                                      {"curves", 0.41, 1.6, "quorvane-series: curves 41 %\n"},
                                      {"curves", 1.0, 3.0, "quorvane-series: curves 100 %\n"}};
  ProgressLine log{false, "", -1};
  for (const Step& s : in_a_log) {
    EXPECT_EQ(s.expected, progress_text(&log, s.stage, s.fraction, s.elapsed));
  }
}
