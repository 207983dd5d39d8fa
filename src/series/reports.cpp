#include "series/reports.h"

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

// A percentage as the user typed it: 70, 7.5.
std::string shortest(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

// What the planner assumed of a component besides its plain residues.
void write_notes(const Composition& comp, std::FILE* out) {
  if (comp.ambiguous > 0) {
    std::fprintf(out, "  note: %lld B, Z or J counted as the mean of their two residues\n",
                 static_cast<long long>(comp.ambiguous));
  }
  if (comp.any > 0) {
    std::fprintf(out, "  note: %lld X counted as the mean of the twenty residues\n",
                 static_cast<long long>(comp.any));
  }
  if (comp.selenium > 0.0) {
    std::fprintf(out, "  note: %g U counted as cysteine with selenium for sulfur\n", comp.selenium);
  }
  if (comp.unknown > 0) {
    std::fprintf(out, "  note: %lld entries that name no residue left out, the first \"%s\"\n",
                 static_cast<long long>(comp.unknown), comp.first_unknown.c_str());
  }
}

void write_points(const SeriesLine& line, std::FILE* out) {
  std::fprintf(out, "%7s %12s %18s %16s %16s %10s %13s\n", "D2O %", "solvent SLD",
               "scattering length", "contrast", "Mw", "SLD", "contrast SLD");
  for (const SeriesPoint& p : line.points) {
    std::fprintf(out, "%7.2f %12.6f %18.6f %16.6f %16.6f %10.6f %13.6f\n", p.d2o_fraction * 100.0,
                 static_cast<double>(p.solvent_density), p.scattering_length, p.contrast, p.mass,
                 p.length_density, p.contrast_density);
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

}  // namespace

void write_text_report(const std::vector<Component>& components,
                       const std::vector<SeriesLine>& lines, const SeriesOptions& options,
                       std::FILE* out) {
  std::fprintf(out, "Labile hydrogens exchanging with the solvent: %g %%\n", options.exchange);
  std::fprintf(out, "SLD: scattering length density, fm/A^3; lengths in fm; Mw in g/mol\n");
  for (size_t l = 0; l < lines.size(); ++l) {
    const SeriesLine& line = lines[l];
    std::fprintf(out, "\n");
    if (l < components.size()) {
      const Component& c = components[l];
      std::fprintf(out, "%s (%s, %s code): %lld residues, deuteration %g %%, %lld %s\n",
                   line.label.c_str(), c.spec.path.c_str(), code_name(c.code),
                   static_cast<long long>(line.residues), c.spec.deuteration,
                   static_cast<long long>(line.copies), line.copies == 1 ? "copy" : "copies");
      write_notes(c.composition, out);
    } else {
      std::fprintf(out, "complex: %lld molecules\n", static_cast<long long>(line.copies));
    }
    write_points(line, out);
  }
  write_match_points(lines, out);
}

void write_csv_report(const std::vector<Component>& components,
                      const std::vector<SeriesLine>& lines, std::FILE* out) {
  std::fprintf(out,
               "component,copies,residues,deuteration_percent,d2o_percent,solvent_sld,"
               "scattering_length,contrast,mw,volume,sld,contrast_density,match_point_percent\n");
  for (size_t l = 0; l < lines.size(); ++l) {
    const SeriesLine& line = lines[l];
    const bool is_component = l < components.size();
    const std::string deuteration =
        is_component ? shortest(components[l].spec.deuteration) : std::string();
    char match[32] = "";
    if (line.has_match) {
      std::snprintf(match, sizeof match, "%.2f", line.match_percent);
    }
    for (const SeriesPoint& p : line.points) {
      std::fprintf(out, "%s,%lld,%lld,%s,%.6g,%f,%f,%f,%f,%f,%f,%f,%s\n",
                   csv_field(line.label).c_str(), static_cast<long long>(line.copies),
                   static_cast<long long>(line.residues), deuteration.c_str(),
                   p.d2o_fraction * 100.0, static_cast<double>(p.solvent_density),
                   p.scattering_length, p.contrast, p.mass, p.volume, p.length_density,
                   p.contrast_density, match);
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
    const double deuteration = c.spec.deuteration / 100.0;
    const SeriesPoint h2o = series_point(c.composition, deuteration, exchange, 0.0);
    const SeriesPoint d2o = series_point(c.composition, deuteration, exchange, 1.0);
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
