#include "series/reports.h"

#include <cmath>
#include <string>

namespace {

std::string csv_field(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) {
    return text;
  }
  std::string quoted = "\"";
  for (char c : text) {
    quoted += c;
    if (c == '"') {
      quoted += '"';
    }
  }
  return quoted + "\"";
}

// A percentage or count as the user typed it: 70, 7.5.
std::string shortest(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

// What a component is and how it is deuterated, after its label.
std::string description(const Component& c, int64_t residues) {
  const ComponentSpec& s = c.spec;
  std::string text;
  if (!s.formula.empty()) {
    text = "(formula " + s.formula + ", " + shortest(s.labile) + " labile H, " +
           shortest(c.makeup.volume) + " A^3)";
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
    text += ", volume " + shortest(c.makeup.volume) + " A^3 from psv " + shortest(s.psv);
  }
  return text + ", " + std::to_string(s.copies) + (s.copies == 1 ? " copy" : " copies");
}

// What the planner assumed of a chain besides its plain residues.
void write_notes(const Composition& comp, bool from_sequence, std::FILE* out) {
  const bool protein = comp.kind == ChainKind::kProtein;
  if (comp.ambiguous > 0) {
    std::fprintf(out,
                 "  note: %lld ambiguity codes (%s) counted as the mean of what they stand for\n",
                 static_cast<long long>(comp.ambiguous), protein ? "B, Z, J" : "R, Y, K, M...");
  }
  if (comp.any > 0) {
    std::fprintf(out, "  note: %lld %s counted as the mean of the %s\n",
                 static_cast<long long>(comp.any), protein ? "X" : "N",
                 protein ? "twenty residues" : "four nucleotides");
  }
  if (comp.selenium > 0.0 && from_sequence) {
    std::fprintf(out, "  note: %g U counted as cysteine with selenium for sulfur\n", comp.selenium);
  }
  if (comp.unknown > 0) {
    std::fprintf(out, "  note: %lld entries that name no residue left out, the first \"%s\"\n",
                 static_cast<long long>(comp.unknown), comp.first_unknown.c_str());
  }
}

bool any_gyration(const std::vector<SeriesLine>& lines) {
  for (const SeriesLine& line : lines) {
    if (!line.gyration.empty()) {
      return true;
    }
  }
  return false;
}

// Rg in angstrom; "neg" where Rg^2 < 0, empty where it is not defined or there are no
// coordinates.
std::string rg_text(const SeriesLine& line, size_t i, const char* none) {
  if (line.gyration.empty() || !line.gyration[i].defined) {
    return none;
  }
  if (line.gyration[i].rg2 < 0.0) {
    return "neg";
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", std::sqrt(line.gyration[i].rg2));
  return text;
}

void write_points(const SeriesLine& line, const SeriesOptions& options, bool rg, std::FILE* out) {
  std::fprintf(out, "%7s %12s %18s %16s %16s %10s %13s", "D2O %", "solvent SLD",
               "scattering length", "contrast", "Mw", "SLD", "contrast SLD");
  std::fputs(options.xray ? " X-ray SLD solvent X-ray" : "", out);
  std::fputs(options.conc > 0.0 ? "   I(0) 1/cm" : "", out);
  std::fputs(rg ? "     Rg A" : "", out);
  std::fputs("\n", out);
  for (size_t i = 0; i < line.points.size(); ++i) {
    const SeriesPoint& p = line.points[i];
    std::fprintf(out, "%7.2f %12.6f %18.6f %16.6f %16.6f %10.6f %13.6f", p.d2o_fraction * 100.0,
                 static_cast<double>(p.solvent_density), p.scattering_length, p.contrast, p.mass,
                 p.length_density, p.contrast_density);
    if (options.xray) {
      std::fprintf(out, " %9.6f %13.6f", p.xray_density, p.xray_solvent_density);
    }
    if (options.conc > 0.0) {
      std::fprintf(out, " %12.6g", p.forward_scattering);
    }
    if (rg) {
      std::fprintf(out, " %9s", rg_text(line, i, "n/a").c_str());
    }
    std::fputs("\n", out);
  }
}

// The Stuhrmann fits of the lines with coordinates, and how far apart the parts sit.
void write_structure_figures(const std::vector<Component>& components,
                             const std::vector<SeriesLine>& lines, std::FILE* out) {
  std::fprintf(out,
               "\nStuhrmann fits, Rg^2 = Rm^2 + alpha/drho - beta/drho^2 (drho: mean contrast "
               "density, fm/A^3; Rg^2 near the match point left out):\n");
  for (const SeriesLine& line : lines) {
    const StuhrmannFit& f = line.stuhrmann;
    if (line.gyration.empty()) {
      continue;
    }
    if (!f.fitted) {
      std::fprintf(out, "  %-20s too few points (%d) for a fit; widen the D2O range\n",
                   line.label.c_str(), f.points);
      continue;
    }
    std::fprintf(out,
                 "  %-20s Rm %8.3f A  alpha %10.5g fm/A  beta %10.5g fm^2/A^4  residual %.3g A^2 "
                 "(%d points)\n",
                 line.label.c_str(), f.rm2 >= 0.0 ? std::sqrt(f.rm2) : -std::sqrt(-f.rm2), f.alpha,
                 f.beta, f.residual, f.points);
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
  std::fprintf(out, "\nMatch points (contrast zero):\n");
  for (const SeriesLine& line : lines) {
    if (!line.has_match) {
      std::fprintf(out, "  %-20s none: the contrast does not change with D2O\n",
                   line.label.c_str());
      continue;
    }
    const bool outside = line.match_percent < 0.0 || line.match_percent > 100.0;
    std::fprintf(out, "  %-20s %7.2f %% D2O%s\n", line.label.c_str(), line.match_percent,
                 outside ? "  (outside 0-100 %: no solvent matches it)" : "");
  }
}

// The answers to --match-at: the uniform deuteration that matches a component there.
void write_match_at(const std::vector<Component>& components, const SeriesOptions& options,
                    std::FILE* out) {
  bool first = true;
  for (const Component& c : components) {
    if (!c.spec.match_at_given) {
      continue;
    }
    if (first) {
      std::fprintf(out, "\nDeuteration for a chosen match point (all carbon-bound H alike):\n");
      first = false;
    }
    double d = 0.0;
    const bool found =
        deuteration_for_match(c.makeup, options.exchange / 100.0, c.spec.match_at / 100.0, &d);
    if (found && d >= 0.0 && d <= 1.0) {
      std::fprintf(out, "  %s: deuteration %.1f %% matches it at %g %% D2O\n", c.spec.label.c_str(),
                   d * 100.0, c.spec.match_at);
    } else if (found) {
      std::fprintf(out,
                   "  %s: no deuteration from 0 to 100 %% matches it at %g %% D2O (it would take "
                   "%.1f %%)\n",
                   c.spec.label.c_str(), c.spec.match_at, d * 100.0);
    } else {
      std::fprintf(out, "  %s: no deuteration matches it at %g %% D2O (no carbon-bound H)\n",
                   c.spec.label.c_str(), c.spec.match_at);
    }
  }
}

}  // namespace

void write_text_report(const std::vector<Component>& components,
                       const std::vector<SeriesLine>& lines, const SeriesOptions& options,
                       std::FILE* out) {
  std::fprintf(out, "Labile hydrogens exchanging with the solvent: %g %%\n", options.exchange);
  std::fputs(
      "Model: labile H that do not exchange stay H; chain termini in Mw only; fixed "
      "protonation (ASP, GLU, LYS, ARG, HIS charged; nucleotides as sodium salts)\n",
      out);
  std::fprintf(out, "SLD: scattering length density, fm/A^3; lengths in fm; Mw in g/mol");
  if (options.conc > 0.0) {
    std::fprintf(out, "; I(0) at %g mg/mL in all, each component at its mass share", options.conc);
  }
  std::fputs("\n", out);
  const bool rg = any_gyration(lines);
  for (size_t l = 0; l < lines.size(); ++l) {
    const SeriesLine& line = lines[l];
    std::fprintf(out, "\n");
    if (l < components.size()) {
      const Component& c = components[l];
      std::fprintf(out, "%s %s\n", line.label.c_str(), description(c, line.residues).c_str());
      write_notes(c.composition, c.placed.empty(), out);
      for (const std::string& note : c.notes) {
        std::fprintf(out, "  note: %s\n", note.c_str());
      }
    } else {
      std::fprintf(out, "complex: %lld molecules\n", static_cast<long long>(line.copies));
    }
    write_points(line, options, rg, out);
  }
  write_match_points(lines, out);
  write_match_at(components, options, out);
  if (rg) {
    write_structure_figures(components, lines, out);
  }
}

void write_csv_report(const std::vector<Component>& components,
                      const std::vector<SeriesLine>& lines, const SeriesOptions& options,
                      std::FILE* out) {
  std::fputs(
      "component,copies,residues,deuteration_percent,d2o_percent,solvent_sld,"
      "scattering_length,contrast,mw,volume,sld,contrast_density,match_point_percent",
      out);
  std::fputs(options.xray ? ",xray_sld,solvent_xray_sld" : "", out);
  std::fputs(options.conc > 0.0 ? ",i0_per_cm" : "", out);
  const bool rg = any_gyration(lines);
  std::fputs(rg ? ",rg\n" : "\n", out);
  for (size_t l = 0; l < lines.size(); ++l) {
    const SeriesLine& line = lines[l];
    const bool is_component = l < components.size();
    const std::string deuteration =
        is_component ? shortest(components[l].spec.deuteration) : std::string();
    char match[32] = "";
    if (line.has_match) {
      std::snprintf(match, sizeof match, "%.2f", line.match_percent);
    }
    for (size_t i = 0; i < line.points.size(); ++i) {
      const SeriesPoint& p = line.points[i];
      std::fprintf(out, "%s,%lld,%lld,%s,%.6g,%f,%f,%f,%f,%f,%f,%f,%s",
                   csv_field(line.label).c_str(), static_cast<long long>(line.copies),
                   static_cast<long long>(line.residues), deuteration.c_str(),
                   p.d2o_fraction * 100.0, static_cast<double>(p.solvent_density),
                   p.scattering_length, p.contrast, p.mass, p.volume, p.length_density,
                   p.contrast_density, match);
      if (options.xray) {
        std::fprintf(out, ",%f,%f", p.xray_density, p.xray_solvent_density);
      }
      if (options.conc > 0.0) {
        std::fprintf(out, ",%.6g", p.forward_scattering);
      }
      if (rg) {
        std::fprintf(out, ",%s", rg_text(line, i, "").c_str());
      }
      std::fputs("\n", out);
    }
  }
}

void write_records_report(const std::vector<Component>& components, const SeriesOptions& options,
                          std::FILE* out) {
  const bool csv = options.format == OutputFormat::kCsv;
  if (csv) {
    std::fputs("record,residues,mw,volume,sld_h2o,sld_d2o,match_point_percent\n", out);
  } else {
    std::fprintf(out, "Labile hydrogens exchanging with the solvent: %g %%; Mw in H2O\n",
                 options.exchange);
    std::fprintf(out, "%-24s %9s %14s %14s %9s %9s %9s\n", "record", "residues", "Mw g/mol",
                 "volume A^3", "SLD H2O", "SLD D2O", "match %");
  }
  const double exchange = options.exchange / 100.0;
  for (const Component& c : components) {
    const SeriesPoint h2o = series_point(c.makeup, exchange, 0.0, c.water);
    const SeriesPoint d2o = series_point(c.makeup, exchange, 1.0, c.water);
    double match = 0.0;
    char match_text[32] = "none";
    if (component_match(c, options.exchange, &match)) {
      std::snprintf(match_text, sizeof match_text, "%.2f", match);
    } else if (csv) {
      match_text[0] = '\0';
    }
    std::fprintf(
        out,
        csv ? "%s,%lld,%.6f,%.6f,%.6f,%.6f,%s\n" : "%-24s %9lld %14.6f %14.6f %9.6f %9.6f %9s\n",
        (csv ? csv_field(c.spec.label) : c.spec.label).c_str(),
        static_cast<long long>(c.composition.residues), h2o.mass, h2o.volume, h2o.length_density,
        d2o.length_density, match_text);
  }
}

bool write_stuhrmann_csv(const std::vector<SeriesLine>& lines, std::FILE* out) {
  std::fputs("component,rm,alpha,beta,residual,points\n", out);
  for (const SeriesLine& line : lines) {
    const StuhrmannFit& f = line.stuhrmann;
    if (line.gyration.empty()) {
      continue;
    }
    if (!f.fitted) {
      std::fprintf(out, "%s,,,,,%d\n", csv_field(line.label).c_str(), f.points);
      continue;
    }
    std::fprintf(out, "%s,%.6g,%.6g,%.6g,%.6g,%d\n", csv_field(line.label).c_str(),
                 f.rm2 >= 0.0 ? std::sqrt(f.rm2) : -std::sqrt(-f.rm2), f.alpha, f.beta, f.residual,
                 f.points);
  }
  return std::fflush(out) == 0 && !std::ferror(out);
}
