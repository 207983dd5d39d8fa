#include "report/beamtime_report.h"

#include <gtest/gtest.h>

// Each duration in the unit it reads in; past a month no time, but the word that the
// plan must change.
TEST(DurationText, UnitThatReads) {
  struct Case {
    double seconds;
    const char* text;
    const char* brief;
  };
  const Case cases[] = {
      {5.04, "5.0 s", "5.0 s"},
      {45.0, "45 s", "45 s"},
      {750.0, "12.5 min", "12.5 min"},
      {36.4 * 3600.0, "36.4 h", "36.4 h"},
      {47.9 * 3600.0, "47.9 h", "47.9 h"},
      {3.0 * 86400.0, "3.0 d", "3.0 d"},
      {30.0 * 86400.0, "30.0 d", "30.0 d"},
      {30.0 * 86400.0 + 1.0, "not feasible (more than 30 days)", "not feasible"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.text, duration_text(c.seconds)) << c.seconds;
    EXPECT_EQ(c.brief, duration_text(c.seconds, true)) << c.seconds;
  }
}
