#include "report/measured_report.h"

#include <cmath>
#include <string>

#include "io/output_file.h"
#include "text/text_format.h"
#include "text/xml_text.h"

namespace {

std::string plus_minus(double value, double error, int decimals) {
  return fixed(value, decimals) + " +- " + fixed(error, decimals);
}

// Enough decimals that an error shows two significant digits.
int decimals_for(double error) {
  int d = 0;
  while (d < 8 && error > 0.0 && error * std::pow(10.0, d) < 10.0) {
    ++d;
  }
  return d;
}

std::string file_name(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return printable_text(slash == std::string::npos ? path : path.substr(slash + 1));
}

// What I(0)/c says against the prediction: on the absolute scale, the measured over the
// predicted is how many of the predicted particles scatter as one, or the factor by
// which the concentration or the scale is off; the data cannot tell which.
void write_copies(const PlanResult& planned, std::FILE* out) {
  if (planned.lines.empty()) {
    return;
  }
  const std::string& line = planned.lines.back().label;
  bool any = false, relative = false;
  for (const MeasuredPoint& m : planned.measured) {
    if (!m.guinier.fitted || !(m.conc > 0.0) || !(m.predicted_i0_per_conc > 0.0)) {
      continue;
    }
    if (m.curve.intensity_unit != "1/cm") {
      relative = true;
      continue;
    }
    if (!any) {
      std::fprintf(out, "I(0)/c against the prediction for %s (on the absolute scale):\n",
                   line.c_str());
      any = true;
    }
    const double ratio = m.guinier.i0 / m.conc / m.predicted_i0_per_conc;
    std::fprintf(out,
                 "  %6s %% D2O: %s times the predicted %s 1/cm per mg/mL: %s copies of %s "
                 "scattering as one, or a concentration or absolute scale off by that factor\n",
                 fixed(m.input.d2o, 1).c_str(), fixed(ratio, 2).c_str(),
                 format_number(m.predicted_i0_per_conc, {NumberFormat::kGeneral, 4}).c_str(),
                 fixed(ratio, 2).c_str(), line.c_str());
  }
  if (relative) {
    std::fprintf(out,
                 "I(0)/c not set against the prediction where a file does not give its "
                 "intensities in 1/cm (arbitrary units)\n");
  }
}

void write_findings(const PlanResult& planned, std::FILE* out);

}  // namespace

std::vector<MeasuredRow> measured_rows(const PlanResult& planned) {
  std::vector<MeasuredRow> rows;
  for (const MeasuredPoint& m : planned.measured) {
    const MeasuredGuinier& g = m.guinier;
    MeasuredRow row;
    row.d2o = fixed(m.input.d2o, 1);
    row.file = file_name(m.input.path);
    row.fitted = g.fitted;
    if (!g.fitted) {
      row.why = "no Guinier range (fewer than 5 points to q Rg = 1.3, or I rising with q)";
      rows.push_back(row);
      continue;
    }
    row.points = std::to_string(g.first + 1) + "-" + std::to_string(g.last + 1);
    row.q_range = fixed(g.q_min, 4) + "-" + fixed(g.q_max, 4);
    row.rg = plus_minus(g.rg, g.rg_error, decimals_for(g.rg_error));
    row.i0 = plus_minus(g.i0, g.i0_error, decimals_for(g.i0_error)) +
             (m.curve.intensity_unit.empty() ? " (arb.)" : " 1/cm");
    if (m.conc > 0.0) {
      row.i0_per_conc =
          plus_minus(g.i0 / m.conc, g.i0_error / m.conc, decimals_for(g.i0_error / m.conc));
    }
    rows.push_back(row);
  }
  return rows;
}

void write_measured(const PlanResult& planned, std::FILE* out) {
  if (planned.measured.empty()) {
    return;
  }
  std::fprintf(out,
               "\nMeasured curves: Guinier fits, ln I = ln I(0) - q^2 Rg^2/3 over q Rg <= 1.3, "
               "weighted by the data's dI (errors from dI alone); I(0)/c per mg/mL:\n");
  std::fprintf(out, "  %6s  %-20s %7s  %-15s  %-16s  %-24s  %s\n", "D2O %", "file", "points",
               "q range (1/A)", "Rg (A)", "I(0)", "I(0)/c");
  for (const MeasuredRow& row : measured_rows(planned)) {
    std::string text = "  " + pad_left(row.d2o, 6) + "  " + row.file +
                       std::string(row.file.size() < 20 ? 20 - row.file.size() : 0, ' ') + " ";
    if (!row.fitted) {
      std::fprintf(out, "%s%s\n", text.c_str(), row.why.c_str());
      continue;
    }
    text += pad_left(row.points, 7) + "  " + row.q_range + "  " + row.rg + "  " + row.i0;
    if (!row.i0_per_conc.empty()) {
      text += "  " + row.i0_per_conc;
    }
    std::fprintf(out, "%s\n", text.c_str());
  }
  write_findings(planned, out);
}

std::string measured_findings(const PlanResult& planned) {
  return written_text([&](std::FILE* out) { write_findings(planned, out); });
}

namespace {

// What the curves say together, after their table: against the prediction, the match
// point, Stuhrmann's parabola, the model's fit and the basis curves.
void write_findings(const PlanResult& planned, std::FILE* out) {
  write_copies(planned, out);
  const MeasuredMatch& match = planned.measured_match;
  std::string text = "Measured match point: ";
  if (match.found) {
    const int d = decimals_for(match.error);
    text += plus_minus(match.percent, match.error, d > 1 ? d : 1) +
            " % D2O (sqrt(I(0)/c) with its sign, a weighted line over " +
            std::to_string(match.points) + " points, the sign changing above " +
            shortest(match.sign_change) + " %; reduced chi2 " + fixed(match.chi2, 2) +
            (match.chi2 > 1.0 ? ", the error widened by its square root" : "") + ")";
  } else {
    text +=
        "none (it needs at least three fitted curves with their concentrations, on both "
        "sides of the match)";
  }
  if (!planned.lines.empty() && planned.lines.back().has_match) {
    const SeriesLine& line = planned.lines.back();
    text += "; predicted " + fixed(line.match_percent, 1) + " % D2O for " + line.label;
  }
  std::fprintf(out, "%s\n", text.c_str());
  if (planned.stuhrmann_line.empty()) {
    return;
  }
  const MeasuredStuhrmann& s = planned.measured_stuhrmann;
  text =
      "Measured Stuhrmann fit, Rg^2 = Rm^2 + alpha/drho - beta/drho^2 against the predicted "
      "contrast of " +
      planned.stuhrmann_line + ": ";
  if (s.fitted) {
    text += "Rm " + plus_minus(s.rm, s.rm_error, 2) + " A, alpha " +
            format_number(s.alpha, {NumberFormat::kGeneral, 4}) + " +- " +
            format_number(s.alpha_error, {NumberFormat::kGeneral, 2}) + " fm/A, beta " +
            format_number(s.beta, {NumberFormat::kGeneral, 4}) + " +- " +
            format_number(s.beta_error, {NumberFormat::kGeneral, 2}) + " fm^2/A^4 over " +
            std::to_string(s.points) + " points (reduced chi2 " + fixed(s.chi2, 2) + ")";
    const SeriesLine& line = planned.lines.back();
    if (!line.gyration.empty() && line.stuhrmann.fitted) {
      text +=
          "; predicted Rm " +
          fixed(std::copysign(std::sqrt(std::fabs(line.stuhrmann.rm2)), line.stuhrmann.rm2), 2) +
          " A, alpha " + format_number(line.stuhrmann.alpha, {NumberFormat::kGeneral, 4}) +
          ", beta " + format_number(line.stuhrmann.beta, {NumberFormat::kGeneral, 4});
    }
  } else {
    text += "none (it needs four measured radii at contrasts that fix a parabola)";
  }
  std::fprintf(out, "%s\n", text.c_str());
  const ModelFit& fit = planned.fit;
  if (fit.fitted) {
    std::fprintf(out,
                 "Model fit of %s (its curves smeared with each file's dq; a scale, fixed where "
                 "the file is in 1/cm and the concentration given, and a flat "
                 "background per contrast; the hydration shell's density over the series, %g "
                 "to %g %%): shell %s %% denser than the bulk, reduced chi2 of the series %s\n",
                 fit.line.c_str(), MIN_SHELL_DENSITY, MAX_SHELL_DENSITY,
                 fixed(fit.shell_density, 1).c_str(), fixed(fit.chi2, 2).c_str());
    for (const ContrastFit& c : fit.contrasts) {
      // A fixed scale is the absolute scale's claim; the free one says how far it is off.
      const std::string scale =
          format_number(c.scale, {NumberFormat::kGeneral, 4}) +
          (c.scale_fixed ? " (fixed by the concentration, the file being in 1/cm; free it "
                           "would be " +
                               format_number(c.free_scale, {NumberFormat::kGeneral, 4}) + ")"
                         : "");
      std::fprintf(out, "  %6s %% D2O: scale %s, background %s, reduced chi2 %s\n",
                   fixed(c.d2o, 1).c_str(), scale.c_str(),
                   format_number(c.background, {NumberFormat::kGeneral, 3}).c_str(),
                   fixed(c.chi2, 2).c_str());
    }
  } else if (!fit.why.empty()) {
    std::fprintf(out, "Model fit: none (%s)\n", fit.why.c_str());
  }
  const BasisCurves& b = planned.basis;
  if (b.solved && planned.components.size() == 2) {
    const std::string& one = planned.components[0].spec.label;
    const std::string& two = planned.components[1].spec.label;
    std::fprintf(out,
                 "Basis curves of %s (1) and %s (2) from %zu contrasts, I/c = d1^2 I11 + d1 d2 "
                 "I12 + d2^2 I22 at each of %zu q (d: their predicted contrast densities): at "
                 "q %s 1/A, I11 %s +- %s, I12 %s +- %s, I22 %s +- %s\n",
                 one.c_str(), two.c_str(), b.contrasts, b.q.size(), fixed(b.q.front(), 4).c_str(),
                 format_number(b.i11.front(), {NumberFormat::kGeneral, 4}).c_str(),
                 format_number(b.e11.front(), {NumberFormat::kGeneral, 2}).c_str(),
                 format_number(b.i12.front(), {NumberFormat::kGeneral, 4}).c_str(),
                 format_number(b.e12.front(), {NumberFormat::kGeneral, 2}).c_str(),
                 format_number(b.i22.front(), {NumberFormat::kGeneral, 4}).c_str(),
                 format_number(b.e22.front(), {NumberFormat::kGeneral, 2}).c_str());
  }
}

}  // namespace

std::string basis_csv(const BasisCurves& b) {
  const NumberFormat g9{NumberFormat::kGeneral, 9};
  std::string text = "q_per_A,i11,i11_error,i12,i12_error,i22,i22_error\n";
  for (size_t k = 0; k < b.q.size(); ++k) {
    text += format_number(b.q[k], g9) + "," + format_number(b.i11[k], g9) + "," +
            format_number(b.e11[k], g9) + "," + format_number(b.i12[k], g9) + "," +
            format_number(b.e12[k], g9) + "," + format_number(b.i22[k], g9) + "," +
            format_number(b.e22[k], g9) + "\n";
  }
  return text;
}
