#include "report/curves_report.h"

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::string written(const std::vector<SeriesLine>& lines) {
  std::FILE* out = std::tmpfile();
  write_curve_figures(lines, SeriesOptions(), out);
  std::string text(static_cast<size_t>(std::ftell(out)), '\0');
  std::rewind(out);
  const size_t read = std::fread(&text[0], 1, text.size(), out);
  std::fclose(out);
  return text.substr(0, read);
}

}  // namespace

// A line whose Guinier range holds too few of the grid's points at some of its D2O
// points says so, with what to change; one fitted everywhere says nothing of it.
TEST(CurveFigures, SayWhereTheGridIsTooCoarseForGuinier) {
  SeriesLine capsid;
  capsid.label = "capsid";
  capsid.curves.intensity = {{1.0}, {1.0}, {1.0}};
  capsid.curves.dmax = 394.1;
  capsid.curves.unit_rg2 = 2.55 * 2.55;
  capsid.curves.shell_units = 17820;
  GuinierFit coarse{false, 279.0 * 279.0, 1.0, 10};
  coarse.coarse = true;
  capsid.curves.guinier = {coarse, {true, 441.0, 1.0, 24}, coarse};
  SeriesLine protein = capsid;
  protein.label = "protein";
  protein.curves.guinier = {{true, 441.0, 1.0, 24}};
  const std::string text = written({capsid, protein});
  EXPECT_NE(std::string::npos,
            text.find("  capsid               Dmax 394.1 A, unit Rg 2.55 A, 17820 shell pieces; no "
                      "Guinier fit at 2 of its D2O points: fewer than four of the grid's q lie "
                      "below q Rg = 1.3; give a smaller --q-max or more --q-points\n"))
      << text;
  EXPECT_NE(std::string::npos,
            text.find("  protein              Dmax 394.1 A, unit Rg 2.55 A, 17820 shell pieces\n"))
      << text;
}
