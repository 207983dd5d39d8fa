#include "report/report_columns.h"

#include <cmath>
#include <limits>

namespace {

constexpr double NONE = std::numeric_limits<double>::quiet_NaN();
constexpr NumberFormat F2{NumberFormat::kFixed, 2};
constexpr NumberFormat F6{NumberFormat::kFixed, 6};
constexpr NumberFormat G6{NumberFormat::kGeneral, 6};
constexpr NumberFormat WHOLE{NumberFormat::kFixed, 0};

const SeriesPoint& point(const ReportRow& r) {
  return r.line->points[r.point];
}

bool with_xray(const ReportScope& s) {
  return s.options->xray;
}
bool with_conc(const ReportScope& s) {
  return s.options->conc > 0.0;
}
bool with_gyration(const ReportScope& s) {
  return s.gyration;
}

// Rg in angstrom; "neg" where Rg^2 < 0; where it is not defined or there are no
// coordinates, "n/a" in text and nothing in CSV.
std::string rg_cell(const ReportRow& r, bool csv) {
  const SeriesLine& line = *r.line;
  if (line.gyration.empty() || !line.gyration[r.point].defined) {
    return csv ? "" : "n/a";
  }
  if (line.gyration[r.point].rg2 < 0.0) {
    return "neg";
  }
  return fixed(std::sqrt(line.gyration[r.point].rg2), 2);
}

const ReportColumn COLUMNS[] = {
    {"component", nullptr, 0, G6, G6, nullptr,
     [](const ReportRow& r, bool) { return r.line->label; }, nullptr},
    {"copies", nullptr, 0, WHOLE, WHOLE,
     [](const ReportRow& r) { return static_cast<double>(r.line->copies); }, nullptr, nullptr},
    {"residues", nullptr, 0, WHOLE, WHOLE,
     [](const ReportRow& r) { return static_cast<double>(r.line->residues); }, nullptr, nullptr},
    {"deuteration_percent", nullptr, 0, G6, G6,
     [](const ReportRow& r) { return r.component ? r.component->spec.deuteration : NONE; }, nullptr,
     nullptr},
    {"d2o_percent", "D2O %", 7, F2, G6,
     [](const ReportRow& r) { return point(r).d2o_fraction * 100.0; }, nullptr, nullptr},
    {"solvent_sld", "solvent SLD", 12, F6, F6,
     [](const ReportRow& r) { return static_cast<double>(point(r).solvent_density); }, nullptr,
     nullptr},
    {"scattering_length", "scattering length", 18, F6, F6,
     [](const ReportRow& r) { return point(r).scattering_length; }, nullptr, nullptr},
    {"contrast", "contrast", 16, F6, F6, [](const ReportRow& r) { return point(r).contrast; },
     nullptr, nullptr},
    {"mw", "Mw", 16, F6, F6, [](const ReportRow& r) { return point(r).mass; }, nullptr, nullptr},
    {"volume", nullptr, 0, F6, F6, [](const ReportRow& r) { return point(r).volume; }, nullptr,
     nullptr},
    {"sld", "SLD", 10, F6, F6, [](const ReportRow& r) { return point(r).length_density; }, nullptr,
     nullptr},
    {"contrast_density", "contrast SLD", 13, F6, F6,
     [](const ReportRow& r) { return point(r).contrast_density; }, nullptr, nullptr},
    {"match_point_percent", nullptr, 0, F2, F2,
     [](const ReportRow& r) { return r.line->has_match ? r.line->match_percent : NONE; }, nullptr,
     nullptr},
    {"xray_sld", "X-ray SLD", 9, F6, F6, [](const ReportRow& r) { return point(r).xray_density; },
     nullptr, with_xray},
    {"solvent_xray_sld", "solvent X-ray", 13, F6, F6,
     [](const ReportRow& r) { return point(r).xray_solvent_density; }, nullptr, with_xray},
    {"i0_per_cm", "I(0) 1/cm", 12, G6, G6,
     [](const ReportRow& r) { return point(r).forward_scattering; }, nullptr, with_conc},
    {"rg", "Rg A", 9, F2, F2, nullptr, rg_cell, with_gyration},
};

}  // namespace

std::vector<const ReportColumn*> report_columns(const ReportScope& scope) {
  std::vector<const ReportColumn*> shown;
  for (const ReportColumn& column : COLUMNS) {
    if (column.shown == nullptr || column.shown(scope)) {
      shown.push_back(&column);
    }
  }
  return shown;
}

std::string column_cell(const ReportColumn& column, const ReportRow& row, bool csv) {
  std::string text;
  if (column.cell != nullptr) {
    text = column.cell(row, csv);
  } else {
    const double value = column.value(row);
    text = std::isnan(value) ? (csv ? "" : "n/a")
                             : format_number(value, csv ? column.csv_format : column.text_format);
  }
  return csv ? csv_field(text) : pad_left(text, static_cast<size_t>(column.width));
}
