#include "dialogue/sample_settings.h"

#include <gtest/gtest.h>

TEST(TextToNumber, LongestLeadingDecimalNumber) {
  struct Case {
    const char* text;
    double number;
  };
  const Case cases[] = {
      {"100", 100.0}, {"7.5", 7.5},   {"0", 0.0},   {"-5", -5.0},  {"+7", 7.0},  {".5", 0.5},
      {"5.", 5.0},    {"1e2", 100.0}, {"1e", 1.0},  {"12a", 12.0}, {"abc", 0.0}, {"", 0.0},
      {".", 0.0},     {"-", 0.0},     {"0x5", 0.0}, {"nan", 0.0},  {"inf", 0.0}, {"1.5.2", 1.5},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.number, text_to_number(c.text)) << c.text;
  }
}

TEST(IsDeuterated, OnlyLowerAndUpperY) {
  SampleSettings settings{};
  for (const char* answer : {"y", "Y"}) {
    settings.deuterated_answer[0] = answer[0];
    EXPECT_TRUE(is_deuterated(settings)) << answer;
  }
  for (const char* answer : {"n", "N", ""}) {
    settings.deuterated_answer[0] = answer[0];
    EXPECT_FALSE(is_deuterated(settings)) << answer;
  }
}
