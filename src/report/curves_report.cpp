#include "report/curves_report.h"

#include <cmath>

#include "plan/curves.h"
#include "scattering/hydration_shell.h"
#include "text/text_format.h"

namespace {

const NumberFormat G6{NumberFormat::kGeneral, 6};

}  // namespace

std::string curves_csv(const std::vector<SeriesLine>& lines, const std::vector<double>& q) {
  std::string text = "component,d2o_percent,q_per_A,i_per_cm\n";
  for (const SeriesLine& line : lines) {
    const std::string label = csv_field(line.label);
    for (size_t i = 0; i < line.curves.intensity.size(); ++i) {
      const std::string head =
          label + "," + format_number(line.points[i].d2o_fraction * 100.0, G6) + ",";
      for (size_t k = 0; k < q.size(); ++k) {
        text += head + format_number(q[k], G6) + "," +
                format_number(line.curves.intensity[i][k], G6) + "\n";
      }
    }
  }
  return text;
}

std::string pr_csv(const std::vector<SeriesLine>& lines) {
  std::string text = "component,d2o_percent,r_A,p_r\n";
  for (const SeriesLine& line : lines) {
    const std::string label = csv_field(line.label);
    for (size_t i = 0; i < line.curves.pr.size(); ++i) {
      const std::string head =
          label + "," + format_number(line.points[i].d2o_fraction * 100.0, G6) + ",";
      const std::vector<double>& pr = line.curves.pr[i];
      for (size_t k = 0; k < pr.size(); ++k) {
        text += head + format_number((static_cast<double>(k) + 0.5) * PR_STEP, G6) + "," +
                format_number(pr[k], G6) + "\n";
      }
    }
  }
  return text;
}

void write_curve_figures(const std::vector<SeriesLine>& lines, const SeriesOptions& options,
                         std::FILE* out) {
  bool first = true;
  for (const SeriesLine& line : lines) {
    if (line.curves.intensity.empty()) {
      continue;
    }
    if (first) {
      std::fprintf(
          out,
          "\nPredicted curves: %s as units, each spread as a sphere of the mean unit "
          "volume; %s; pair distances in bins of %g A; I(q) at %g mg/mL in all:\n",
          options.units == CurveUnits::kAtoms
              ? "non-hydrogen atoms with shares of their residue's hydrogens and volume"
              : "residues at the mean position of their non-hydrogen atoms",
          options.shell ? ("a hydration shell of " + shortest(SHELL_THICKNESS) + " A of water " +
                           shortest(options.shell_density) + " % denser than the bulk")
                              .c_str()
                        : "no hydration shell",
          bin_width(curve_grid(options).q.back()), options.conc > 0.0 ? options.conc : 1.0);
      first = false;
    }
    std::fprintf(out, "  %-20s Dmax %.1f A, unit Rg %.2f A, %zu shell pieces", line.label.c_str(),
                 line.curves.dmax, std::sqrt(line.curves.unit_rg2), line.curves.shell_units);
    // A large particle's Guinier range can hold fewer of the grid's points than a fit
    // needs; saying so beats a fit beyond the range, whose Rg would be wrong.
    int coarse = 0;
    for (const GuinierFit& fit : line.curves.guinier) {
      coarse += fit.coarse ? 1 : 0;
    }
    if (coarse > 0) {
      std::fprintf(out,
                   "; no Guinier fit at %d of its D2O points: fewer than four of the grid's q lie "
                   "below q Rg = 1.3; give a smaller --q-max or more --q-points",
                   coarse);
    }
    std::fprintf(out, "\n");
  }
}
