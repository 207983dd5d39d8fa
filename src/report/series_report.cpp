#include "report/series_report.h"

#include <cmath>
#include <string>

#include "io/output_file.h"
#include "plan/component_figures.h"
#include "report/beamtime_report.h"
#include "report/curves_report.h"
#include "report/measured_report.h"
#include "report/records_report.h"
#include "report/report_columns.h"
#include "report/simulation_files.h"
#include "text/text_format.h"

namespace {

// What a component is and how it is deuterated, after its label.
std::string description(const Component& c, int64_t residues) {
  const ComponentSpec& s = c.spec;
  std::string text;
  if (!s.formula.empty()) {
    text = "(formula " + s.formula + ", " + shortest(s.labile) + " labile H)";
  } else if (s.mass_kda > 0.0) {
    text = "(by mass, " + shortest(s.mass_kda) +
           " kDa, Swiss-Prot's average composition): " + std::to_string(residues) + " residues";
  } else if (!c.placed.empty()) {
    const bool blank = c.record.empty() || c.record == " ";
    text = "(" + s.path + ", structure" +
           (blank                                     ? ""
            : c.record.find(',') != std::string::npos ? ", chains "
                                                      : ", chain ") +
           (blank ? "" : c.record) + "): " + std::to_string(residues) +
           (s.kind == ChainKind::kProtein ? " residues"
                                          : std::string(" nucleotides, ") + kind_name(s.kind));
  } else {
    text = "(" + s.path + ", " + code_name(c.code) + " code" +
           (s.kind == ChainKind::kProtein ? "" : std::string(", ") + kind_name(s.kind)) +
           "): " + std::to_string(residues) +
           (s.kind == ChainKind::kProtein ? " residues" : " nucleotides");
  }
  text += ", deuteration " + shortest(s.deuteration) + " %";
  for (const SelectiveDeuteration& d : s.selective) {
    std::string kinds;
    for (const std::string& kind : d.kinds) {
      kinds += (kinds.empty() ? "" : ",") + kind;
    }
    text += ", " + kinds + " " + shortest(d.percent) + " %";
  }
  if (s.disulfides > 0) {
    text += ", " + std::to_string(s.disulfides) + " disulfides";
  }
  if (s.psv > 0.0) {
    text += ", volume from psv " + shortest(s.psv);
  }
  if (s.exchange >= 0.0) {
    text += ", labile H exchange " + shortest(s.exchange) + " %";
  }
  return text + ", " + std::to_string(s.copies) + (s.copies == 1 ? " copy" : " copies");
}

// The table of one line: the columns that have a text header, a line of their units,
// then one row per point.
void write_points(const std::vector<Component>& components, const SeriesLine& line,
                  const ReportScope& scope, std::FILE* out) {
  const std::vector<ShownColumn> columns = report_columns(scope);
  std::string names, units;
  for (const ShownColumn& shown : columns) {
    if (shown.column->header != nullptr) {
      const auto width = static_cast<size_t>(shown.column->width);
      names += (names.empty() ? "" : " ") + pad_left(shown.column->header, width);
      units += (units.empty() ? "" : " ") + pad_left(column_unit(shown, scope), width);
    }
  }
  std::fputs((names + "\n" + units + "\n").c_str(), out);
  const Component* component =
      line.is_complex ? nullptr : &components[static_cast<size_t>(line.component)];
  for (size_t i = 0; i < line.points.size(); ++i) {
    std::string text;
    for (const ShownColumn& shown : columns) {
      if (shown.column->header != nullptr) {
        text +=
            (text.empty() ? "" : " ") + column_cell(shown, {&line, component, i, 0}, scope, false);
      }
    }
    std::fputs((text + "\n").c_str(), out);
  }
}

// Rm from Rm^2, negative when Rm^2 is, so that a failed fit shows.
double signed_root(double square) {
  return square >= 0.0 ? std::sqrt(square) : -std::sqrt(-square);
}

// The Stuhrmann fits of the lines with coordinates, and how far apart the parts sit.
void write_structure_figures(const std::vector<Component>& components,
                             const std::vector<SeriesLine>& lines, std::FILE* out) {
  std::fprintf(out,
               "\nStuhrmann fits, Rg^2 = Rm^2 + alpha/drho - beta/drho^2 (drho: mean contrast "
               "density, fm/A^3; points where Rg^2 is not defined or negative, or within %g %% "
               "D2O of the match point, left out):\n",
               STUHRMANN_MATCH_DISTANCE);
  for (const SeriesLine& line : lines) {
    const StuhrmannFit& f = line.stuhrmann;
    if (line.gyration.empty()) {
      continue;
    }
    const std::string used =
        "points used: " + std::to_string(f.points) + " of " + std::to_string(line.points.size());
    if (!f.fitted) {
      // A series of fewer than four points can never be fitted, however wide.
      std::fprintf(out, "  %-20s too few points for a fit (%s); %s\n", line.label.c_str(),
                   used.c_str(),
                   line.points.size() < 4 ? "it needs 4: give more D2O points"
                                          : "widen the D2O range away from the match point");
      continue;
    }
    std::fprintf(out,
                 "  %-20s Rm %8.3f A  alpha %10.5g fm/A  beta %10.5g fm^2/A^4  residual %.3f A^2, "
                 "%s\n",
                 line.label.c_str(), signed_root(f.rm2), f.alpha, f.beta, f.residual, used.c_str());
  }
  bool first = true;
  for (size_t a = 0; a < components.size(); ++a) {
    for (size_t b = a + 1; b < components.size(); ++b) {
      if (components[a].placed.empty() || components[b].placed.empty()) {
        continue;
      }
      if (first) {
        std::fprintf(out, "\nCentre-to-centre distances (volume-weighted centres):\n");
        first = false;
      }
      double ax, ay, az, bx, by, bz;
      centre_of_volume(components[a].placed, &ax, &ay, &az);
      centre_of_volume(components[b].placed, &bx, &by, &bz);
      const double d =
          std::sqrt((ax - bx) * (ax - bx) + (ay - by) * (ay - by) + (az - bz) * (az - bz));
      std::fprintf(out, "  %s - %s: %.2f A\n", components[a].spec.label.c_str(),
                   components[b].spec.label.c_str(), d);
    }
  }
}

void write_match_points(const std::vector<SeriesLine>& lines, std::FILE* out) {
  std::fprintf(out, "\nMatch points (contrast zero), with their range over the uncertainties:\n");
  for (const SeriesLine& line : lines) {
    if (!line.has_match) {
      std::fprintf(out, "  %-20s none: the contrast does not change with D2O\n",
                   line.label.c_str());
      continue;
    }
    const bool outside = line.match_percent < 0.0 || line.match_percent > 100.0;
    const std::string range =
        line.has_range ? " (" + fixed(line.match_low, 1) + "-" + fixed(line.match_high, 1) + ")"
                       : "";
    std::fprintf(out, "  %-20s %6.1f %% D2O%s%s\n", line.label.c_str(), line.match_percent,
                 range.c_str(), outside ? "  (outside 0-100 %: no solvent matches it)" : "");
  }
}

// The answers to --match-at: the uniform deuteration that matches a component there,
// with its range over the exchange and volume uncertainties.
void write_match_at(const std::vector<Component>& components, const SeriesOptions& options,
                    const Solvent& solvent, std::FILE* out) {
  bool first = true;
  for (const Component& c : components) {
    if (!c.spec.match_at_given) {
      continue;
    }
    if (first) {
      std::fprintf(out, "\nDeuteration for a chosen match point (all carbon-bound H alike):\n");
      first = false;
    }
    std::fprintf(out, "  %s\n", match_at_text(c, options, solvent).c_str());
  }
}

// What the solvent is, as the first lines of a report say it.
void write_solvent(const SeriesOptions& options, const Solvent& solvent, const ReportScope& scope,
                   std::FILE* out) {
  const double scale = sld_scale(scope);
  const char* unit = sld_unit_name(scope);
  if (solvent.console) {
    std::fprintf(out,
                 "Solvent: the console calculator's (SLD %.4f fm/A^3 in H2O to %.4f in D2O; "
                 "H to D adds %g fm)\n",
                 solvent.sld_at_h2o, solvent.sld_at_h2o + solvent.sld_per_d2o,
                 solvent.steps.length);
  } else {
    std::fprintf(out,
                 "Solvent: H2O and D2O (%g %% D) mixed by volume at %g C, densities of Kell "
                 "(1975) and IAPWS (2017); SLD %.3f to %.3f %s\n",
                 options.d2o_purity, solvent.temperature, solvent.sld_at_h2o * scale,
                 (solvent.sld_at_h2o + solvent.sld_per_d2o) * scale, unit);
  }
  if (!solvent.buffer.empty()) {
    std::string solutes;
    for (const BufferSolute& solute : solvent.buffer) {
      solutes += (solutes.empty() ? "" : ", ") + solute.concentration + " " + solute.name;
    }
    std::fprintf(out, "Buffer: %s (apparent molar volumes at 20 C), %.1f %% of the volume\n",
                 solutes.c_str(), (1.0 - solvent.water_share) * 100.0);
  }
}

}  // namespace

std::string match_at_text(const Component& c, const SeriesOptions& options,
                          const Solvent& solvent) {
  const MatchAtFigures f = match_at_figures(c, options, solvent);
  const std::string range =
      f.has_range ? " (" + fixed(f.low, 1) + "-" + fixed(f.high, 1) + ")" : "";
  char text[512];
  if (f.found && f.deuteration >= 0.0 && f.deuteration <= 100.0) {
    std::snprintf(text, sizeof text, "%s: deuteration %.1f %%%s matches it at %g %% D2O",
                  c.spec.label.c_str(), f.deuteration, range.c_str(), c.spec.match_at);
  } else if (f.found) {
    std::snprintf(text, sizeof text,
                  "%s: no deuteration from 0 to 100 %% matches it at %g %% D2O (it would take "
                  "%.1f %%)",
                  c.spec.label.c_str(), c.spec.match_at, f.deuteration);
  } else {
    std::snprintf(text, sizeof text,
                  "%s: no deuteration matches it at %g %% D2O (no carbon-bound H)",
                  c.spec.label.c_str(), c.spec.match_at);
  }
  return text;
}

std::string model_text(const SeriesOptions& options) {
  return std::string(
             "labile H that do not exchange stay H; chain termini in Mw only; fixed "
             "protonation (ASP, GLU, LYS, ARG, HIS charged; nucleotides as sodium salts); "
             "protein volumes ") +
         (options.volumes == ProteinVolumes::kPerkins
              ? "of Perkins (1988)"
              : "of the console calculator's table (--volumes perkins for Perkins 1988)");
}

void write_text_report(const std::vector<Component>& components,
                       const std::vector<SeriesLine>& lines, const SeriesOptions& options,
                       const Solvent& solvent, std::FILE* out) {
  const ReportScope scope = report_scope(lines, options);
  write_solvent(options, solvent, scope, out);
  std::fprintf(out, "Labile hydrogens exchanging with the solvent: %s\n",
               exchange_text(lines, options.exchange).c_str());
  std::fprintf(out, "Model: %s\n", model_text(options).c_str());
  std::fprintf(out,
               "Uncertainties of the match points: exchange +-%g points, volume +-%g %%, "
               "deuteration +-%g points\n",
               options.uncertainty.exchange, options.uncertainty.volume,
               options.uncertainty.deuteration);
  if (options.conc > 0.0) {
    std::fprintf(out,
                 "I(0) at %g mg/mL in all, each component at its mass share; masses as weighed "
                 "(labile H as H)\n",
                 options.conc);
  }
  for (const SeriesLine& line : lines) {
    std::fprintf(out, "\n");
    if (!line.is_complex) {
      const Component& c = components[static_cast<size_t>(line.component)];
      std::fprintf(out, "%s %s\n", line.label.c_str(), description(c, line.residues).c_str());
      for (const std::string& note : component_notes(c)) {
        std::fprintf(out, "  note: %s\n", note.c_str());
      }
    } else {
      std::fprintf(out, "complex: %lld molecules\n", static_cast<long long>(line.copies));
    }
    write_points(components, line, scope, out);
  }
  write_match_points(lines, out);
  write_match_at(components, options, solvent, out);
  if (scope.gyration) {
    write_structure_figures(components, lines, out);
  }
  write_curve_figures(lines, options, out);
  if (options.beamtime) {
    write_beamtime(lines, options, solvent, out);
  }
  if (!options.configurations.empty()) {
    write_simulation(lines, options, out);
  }
}

std::string csv_report(const std::vector<Component>& components,
                       const std::vector<SeriesLine>& lines, const SeriesOptions& options) {
  const ReportScope scope = report_scope(lines, options);
  const std::vector<ShownColumn> columns = report_columns(scope);
  std::string text;
  for (size_t k = 0; k < columns.size(); ++k) {
    text += (k == 0 ? "" : ",") + column_name(columns[k], scope);
  }
  text += "\n";
  for (const SeriesLine& line : lines) {
    const Component* component =
        line.is_complex ? nullptr : &components[static_cast<size_t>(line.component)];
    for (size_t i = 0; i < line.points.size(); ++i) {
      for (size_t k = 0; k < columns.size(); ++k) {
        text +=
            (k == 0 ? "" : ",") + column_cell(columns[k], {&line, component, i, 0}, scope, true);
      }
      text += "\n";
    }
  }
  return text;
}

std::string stuhrmann_csv(const std::vector<SeriesLine>& lines) {
  std::string text =
      "component,rm_A,alpha_fm_per_A,beta_fm2_per_A4,residual_A2,points_used,points\n";
  for (const SeriesLine& line : lines) {
    const StuhrmannFit& f = line.stuhrmann;
    if (line.gyration.empty()) {
      continue;
    }
    text += csv_field(line.label);
    if (f.fitted) {
      const NumberFormat g6{NumberFormat::kGeneral, 6};
      text += "," + format_number(signed_root(f.rm2), g6) + "," + format_number(f.alpha, g6) + "," +
              format_number(f.beta, g6) + "," + fixed(f.residual, 6);
    } else {
      text += ",,,,";
    }
    text += "," + std::to_string(f.points) + "," + std::to_string(line.points.size()) + "\n";
  }
  return text;
}

void write_report(const PlanResult& planned, const SeriesOptions& options, std::FILE* out) {
  if (options.records) {
    write_records_report(planned.components, options, planned.solvent, out);
    return;
  }
  write_text_report(planned.components, planned.lines, options, planned.solvent, out);
  write_measured(planned, out);
}

std::string report_text(const PlanResult& planned, const SeriesOptions& options) {
  return written_text([&](std::FILE* out) { write_report(planned, options, out); });
}
