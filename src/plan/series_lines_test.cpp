#include "plan/series_lines.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

// One figure for the exchange where every component shares it; each component's own,
// by label, where -x gave them different ones (the complex has none of its own).
TEST(ExchangeText, PerComponentWhenTheyDiffer) {
  const auto line = [](const char* label, double exchange, bool complex) {
    SeriesLine l;
    l.label = label;
    l.exchange = exchange;
    l.is_complex = complex;
    return l;
  };
  struct Case {
    std::vector<SeriesLine> lines;
    const char* text;
  };
  const Case cases[] = {
      {{}, "95 %"},
      {{line("lys", 90, false)}, "90 %"},
      {{line("lys", 90, false), line("dna", 90, false), line("complex", -1, true)}, "90 %"},
      {{line("lys", 100, false), line("partner", 80, false), line("complex", -1, true)},
       "lys 100 %, partner 80 %"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.text, exchange_text(c.lines, 95.0)) << c.text;
  }
}
