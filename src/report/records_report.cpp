#include "report/records_report.h"

#include <string>

#include "plan/component_figures.h"
#include "text/text_format.h"

void write_records_report(const std::vector<Component>& components, const SeriesOptions& options,
                          const Solvent& solvent, std::FILE* out) {
  const bool csv = options.outputs.format == OutputFormat::kCsv;
  const bool per_a2 = options.sld_unit == SldUnit::kPerSquareAngstrom;
  const double scale = per_a2 ? 10.0 : 1.0;
  const std::string suffix = per_a2 ? "_1e-6_per_A2" : "_fm_per_A3";
  if (csv) {
    std::fprintf(out,
                 "record,residues,mw_g_per_mol,volume_A3,sld_h2o%s,sld_d2o%s,match_point_percent,"
                 "match_point_low_percent,match_point_high_percent,error\n",
                 suffix.c_str(), suffix.c_str());
  } else {
    std::fprintf(out,
                 "Labile hydrogens exchanging with the solvent: %g %%; Mw as weighed (labile H as "
                 "H); SLD in %s\n",
                 options.exchange, per_a2 ? "1e-6/A^2" : "fm/A^3");
    std::fprintf(out, "%-24s %9s %11s %10s %8s %8s %20s\n", "record", "residues", "Mw g/mol",
                 "volume A^3", "SLD H2O", "SLD D2O", "match % D2O");
  }
  const int decimals = per_a2 ? 3 : 4;
  for (const Component& c : components) {
    const std::string label = csv ? csv_field(c.spec.label) : c.spec.label;
    const auto residues = static_cast<long long>(c.composition.residues);
    if (!c.error.empty()) {
      if (csv) {
        std::fprintf(out, "%s,%lld,,,,,,,,%s\n", label.c_str(), residues,
                     csv_field(c.error).c_str());
      } else {
        std::fprintf(out, "%-24s not planned: %s\n", label.c_str(), c.error.c_str());
      }
      continue;
    }
    const RecordFigures f = record_figures(c, options, solvent);
    if (csv) {
      std::fprintf(
          out, "%s,%lld,%.9g,%.9g,%.6f,%.6f,%s,%s,%s,\n", label.c_str(), residues, f.mass, f.volume,
          f.sld_h2o * scale, f.sld_d2o * scale, f.has_match ? fixed(f.match, 2).c_str() : "",
          f.has_range ? fixed(f.low, 2).c_str() : "", f.has_range ? fixed(f.high, 2).c_str() : "");
      continue;
    }
    std::string match_text = "none";
    if (f.has_match) {
      match_text = fixed(f.match, 1) +
                   (f.has_range ? " (" + fixed(f.low, 1) + "-" + fixed(f.high, 1) + ")" : "");
    }
    std::fprintf(out, "%-24s %9lld %11.1f %10.0f %8.*f %8.*f %20s\n", label.c_str(), residues,
                 f.mass, f.volume, decimals, f.sld_h2o * scale, decimals, f.sld_d2o * scale,
                 match_text.c_str());
  }
}
