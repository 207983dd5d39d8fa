#include "measured/measured_guess.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Names and titles as facilities and users write them, with what they say; "-1" where
// they say nothing, which must stay unsaid rather than be read as 0 % or 1 mg/mL.
TEST(GuessMeasured, NamesAndTitles) {
  struct Case {
    const char* name;
    const char* title;
    double d2o, conc;
    const char* from;
  };
  const std::vector<Case> cases = {
      {"kina-sda/0.dat", "", 0, -1, "the file's name"},
      {"40.dat", "", 40, -1, "the file's name"},
      {"100.dat", "", 100, -1, "the file's name"},
      {"P123_D2O_10_percent.xml", "", 10, -1, "the file's name"},
      {"sample_80%D2O_5mgml.dat", "", 80, 5, "the file's name"},
      {"lyso 42pc D2O.txt", "", 42, -1, "the file's name"},
      {"GFP_10mgml_rear.xml", "GFP 10mg/ml in buffer", -1, 10, ""},
      {"run1234.xml", "protein in 70 % D2O, 2.5 mg/mL", 70, 2.5, "the file's title"},
      {"buffer_H2O.dat", "", 0, -1, "the file's name"},
      {"apoferritin.txt", "SANS2D run 17", -1, -1, ""},
      {"150.dat", "", -1, -1, ""},  // no percentage
      {"D2O.dat", "", -1, -1, ""},  // D2O with no number: how much is not said
  };
  for (const Case& c : cases) {
    const MeasuredGuess g = guess_measured(c.name, c.title);
    EXPECT_EQ(c.d2o >= 0, g.has_d2o) << c.name;
    if (c.d2o >= 0 && g.has_d2o) {
      EXPECT_DOUBLE_EQ(c.d2o, g.d2o) << c.name;
      EXPECT_EQ(c.from, g.d2o_from) << c.name;
    }
    EXPECT_EQ(c.conc > 0, g.has_conc) << c.name;
    if (c.conc > 0 && g.has_conc) {
      EXPECT_DOUBLE_EQ(c.conc, g.conc) << c.name;
    }
  }
}
