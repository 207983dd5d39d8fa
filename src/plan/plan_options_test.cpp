#include "plan/plan_options.h"

#include <gtest/gtest.h>

// Counted steps, and the last point is the end itself, even when the steps miss it:
// 0.1 three times is not 0.3, and 30 by 30 ends at 90 and then 100.
TEST(D2oPercentages, EndAtTo) {
  struct Case {
    double from, to, step;
    size_t points;
    double last_step;  // the point before the last
  };
  const Case cases[] = {{0, 0.3, 0.1, 4, 0.2},        {0, 100, 10, 11, 90}, {0, 100, 30, 5, 90},
                        {0, 100, 0.01, 10001, 99.99}, {5, 5, 1, 1, 5},      {0, 95, 10, 11, 90},
                        {12.5, 87.5, 25, 4, 62.5}};
  for (const Case& c : cases) {
    const std::vector<double> points = d2o_percentages(c.from, c.to, c.step);
    EXPECT_EQ(c.points, points.size()) << c.to << " by " << c.step;
    EXPECT_EQ(static_cast<int64_t>(c.points), d2o_point_count(c.from, c.to, c.step));
    EXPECT_EQ(c.from, points.front());
    EXPECT_EQ(c.to, points.back()) << c.to << " by " << c.step;
    if (points.size() > 1) {
      EXPECT_NEAR(c.last_step, points[points.size() - 2], 1e-9) << c.to << " by " << c.step;
    }
  }
}

// The limit both ways: 10001 points pass, one more does not.
TEST(D2oPointCount, LimitBothWays) {
  EXPECT_EQ(MAX_POINTS, d2o_point_count(0, 100, 0.01));
  EXPECT_EQ(MAX_POINTS, d2o_point_count(0, 10000 * 0.0099, 0.0099));
  EXPECT_EQ(MAX_POINTS + 1, d2o_point_count(0, 10000 * 0.0099 + 0.005, 0.0099));
  EXPECT_EQ(MAX_POINTS + 1, d2o_point_count(0, 100, 0.0099999));
  EXPECT_EQ(MAX_POINTS + 1, d2o_point_count(0, 100, 1e-9));
}
