#include "sample/sample_settings.h"

#include <gtest/gtest.h>

// A typo must never become a plausible percentage.
TEST(ParsePercent, DecimalNumbersFrom0To100Only) {
  struct Case {
    const char* text;
    bool accepted;
    double percent;
  };
  const Case cases[] = {
      {"100", true, 100.0}, {"7.5", true, 7.5}, {"0", true, 0.0},  {".5", true, 0.5},
      {"1e2", true, 100.0}, {"+7", true, 7.0},  {"5.", true, 5.0}, {"abc", false, 0},
      {"1OO", false, 0},    {"50%", false, 0},  {"150", false, 0}, {"-5", false, 0},
      {"nan", false, 0},    {"inf", false, 0},  {"0x8", false, 0}, {"1e9", false, 0},
      {"", false, 0},       {".", false, 0},    {"1e", false, 0},  {"100.1", false, 0},
  };
  for (const Case& c : cases) {
    double percent = -1.0;
    EXPECT_EQ(c.accepted, parse_percent(c.text, &percent)) << c.text;
    if (c.accepted) {
      EXPECT_EQ(c.percent, percent) << c.text;
    }
  }
}
