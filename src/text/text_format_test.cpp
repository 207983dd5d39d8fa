#include "text/text_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

namespace {

std::string printed(bool general, int precision, double value) {
  char buffer[400];
  if (general) {
    std::snprintf(buffer, sizeof buffer, "%.*g", precision, value);
  } else {
    std::snprintf(buffer, sizeof buffer, "%.*f", precision, value);
  }
  return buffer;
}

}  // namespace

// Numbers are written as printf writes them, byte for byte, whichever way the library
// formats them: the edge values, and a million at random over every magnitude. A NaN
// is "nan" whatever its sign, which C libraries print differently ("-nan" or "nan").
TEST(FormatNumber, AsPrintfWritesThem) {
  std::vector<double> values = {0.0,    -0.0,  1.0,    -1.0,     0.5,         9.9999995, 1e-320,
                                5e-324, 1e308, -1e308, 123456.5, 0.000123456, 2.5,       3.5,
                                1e21,   1e-5,  9.5e-5, 999999.5, 0.1 + 0.2,   1e15 + 0.3};
  const double infinity = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  values.insert(values.end(), {infinity, -infinity, nan, -nan});
  std::mt19937_64 random(11);
  std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
  std::uniform_int_distribution<int> exponent(-300, 300);
  for (int n = 0; n < 1000000; ++n) {
    values.push_back(mantissa(random) * std::pow(10.0, exponent(random)));
  }
  size_t checked = 0;
  for (size_t n = 0; n < values.size(); ++n) {
    const double v = values[n];
    const int g = 1 + static_cast<int>(n % 17), f = static_cast<int>(n % 12);
    if (std::isnan(v)) {
      EXPECT_EQ("nan", format_number(v, {NumberFormat::kGeneral, g}));
      EXPECT_EQ("nan", format_number(v, {NumberFormat::kFixed, f}));
      ++checked;
      continue;
    }
    ASSERT_EQ(printed(true, g, v), format_number(v, {NumberFormat::kGeneral, g})) << v;
    if (std::fabs(v) < 1e30 || !std::isfinite(v)) {
      ASSERT_EQ(printed(false, f, v), format_number(v, {NumberFormat::kFixed, f})) << v;
    }
    ++checked;
  }
  EXPECT_EQ(values.size(), checked);
}
