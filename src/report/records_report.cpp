#include "report/records_report.h"

#include <string>

#include "plan/series_lines.h"
#include "text/text_format.h"

void write_records_report(const std::vector<Component>& components, const SeriesOptions& options,
                          std::FILE* out) {
  const bool csv = options.format == OutputFormat::kCsv;
  if (csv) {
    std::fputs("record,residues,mw,volume,sld_h2o,sld_d2o,match_point_percent,error\n", out);
  } else {
    std::fprintf(out, "Labile hydrogens exchanging with the solvent: %g %%; Mw in H2O\n",
                 options.exchange);
    std::fprintf(out, "%-24s %9s %14s %14s %9s %9s %9s\n", "record", "residues", "Mw g/mol",
                 "volume A^3", "SLD H2O", "SLD D2O", "match %");
  }
  const double exchange = options.exchange / 100.0;
  for (const Component& c : components) {
    const std::string label = csv ? csv_field(c.spec.label) : c.spec.label;
    if (!c.error.empty()) {
      if (csv) {
        std::fprintf(out, "%s,%lld,,,,,,%s\n", label.c_str(),
                     static_cast<long long>(c.composition.residues), csv_field(c.error).c_str());
      } else {
        std::fprintf(out, "%-24s not planned: %s\n", label.c_str(), c.error.c_str());
      }
      continue;
    }
    const SeriesPoint h2o = series_point(c.makeup, exchange, 0.0, c.water);
    const SeriesPoint d2o = series_point(c.makeup, exchange, 1.0, c.water);
    double match = 0.0;
    std::string match_text = csv ? "" : "none";
    if (component_match(c, options.exchange, &match)) {
      match_text = fixed(match, 2);
    }
    std::fprintf(
        out,
        csv ? "%s,%lld,%.6f,%.6f,%.6f,%.6f,%s,\n" : "%-24s %9lld %14.6f %14.6f %9.6f %9.6f %9s\n",
        label.c_str(), static_cast<long long>(c.composition.residues), h2o.mass, h2o.volume,
        h2o.length_density, d2o.length_density, match_text.c_str());
  }
}
