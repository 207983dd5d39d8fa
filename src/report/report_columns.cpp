#include "report/report_columns.h"

#include <cmath>
#include <limits>
#include "report/beamtime_report.h"

namespace {

constexpr double NONE = std::numeric_limits<double>::quiet_NaN();
constexpr NumberFormat F1{NumberFormat::kFixed, 1};
constexpr NumberFormat F2{NumberFormat::kFixed, 2};
constexpr NumberFormat F3{NumberFormat::kFixed, 3};
constexpr NumberFormat F6{NumberFormat::kFixed, 6};
constexpr NumberFormat G4{NumberFormat::kGeneral, 4};
constexpr NumberFormat G6{NumberFormat::kGeneral, 6};
constexpr NumberFormat G9{NumberFormat::kGeneral, 9};
constexpr NumberFormat WHOLE{NumberFormat::kFixed, 0};
constexpr ColumnUnit PLAIN = ColumnUnit::kPlain;
constexpr ColumnUnit SLD = ColumnUnit::kSld;
constexpr ColumnUnit CELL = ColumnUnit::kCell;

const SeriesPoint& point(const ReportRow& r) {
  return r.line->points[r.point];
}

bool with_xray(const ReportScope& s) {
  return s.options->xray;
}
bool with_conc(const ReportScope& s) {
  return s.options->conc > 0.0;
}
bool with_xray_conc(const ReportScope& s) {
  return s.options->xray && s.options->conc > 0.0;
}
bool with_gyration(const ReportScope& s) {
  return s.gyration;
}
bool with_curves(const ReportScope& s) {
  return s.curves;
}
bool with_beamtime(const ReportScope& s) {
  return s.beamtime;
}

const BeamtimePoint& beamtime(const ReportRow& r) {
  return r.line->beamtime.points[r.point];
}

// The counting time, or why there is none: the signal vanishes, or the molecule is too
// large for a Guinier range above --q-min.
std::string time_cell(const ReportRow& r, bool csv) {
  const BeamtimePoint& b = beamtime(r);
  if (!b.signal) {
    return csv ? "" : (r.line->beamtime.range ? "no signal" : "no range");
  }
  return csv ? format_number(b.time, G6) : duration_text(b.time, true);
}

double time_value(const ReportRow& r) {
  return beamtime(r).signal ? beamtime(r).time : NONE;
}

const char* time_reason(const ReportRow& r) {
  return r.line->beamtime.range ? "no signal" : "no Guinier range";
}

// The Guinier fit of a line's curve at the row's point; none without curves.
const GuinierFit* guinier(const ReportRow& r) {
  const LineCurves& c = r.line->curves;
  return r.point < c.guinier.size() && c.guinier[r.point].fitted ? &c.guinier[r.point] : nullptr;
}

std::string guinier_rg_cell(const ReportRow& r, bool csv) {
  const GuinierFit* fit = guinier(r);
  if (fit == nullptr) {
    return csv ? "" : "n/a";
  }
  return fit->rg2 < 0.0 ? "neg" : fixed(std::sqrt(fit->rg2), csv ? 4 : 1);
}

double guinier_rg_value(const ReportRow& r) {
  const GuinierFit* fit = guinier(r);
  return fit != nullptr && fit->rg2 >= 0.0 ? std::sqrt(fit->rg2) : NONE;
}

const char* guinier_rg_reason(const ReportRow& r) {
  const LineCurves& c = r.line->curves;
  if (r.point < c.guinier.size() && c.guinier[r.point].coarse) {
    return "too few q points";
  }
  return guinier(r) == nullptr ? "no Guinier fit" : "below zero";
}

double rg_value(const ReportRow& r) {
  const SeriesLine& line = *r.line;
  const bool defined = !line.gyration.empty() && line.gyration[r.point].defined;
  return defined && line.gyration[r.point].rg2 >= 0.0 ? std::sqrt(line.gyration[r.point].rg2)
                                                      : NONE;
}

const char* rg_reason(const ReportRow& r) {
  const SeriesLine& line = *r.line;
  if (line.gyration.empty()) {
    return "no coordinates";
  }
  return line.gyration[r.point].defined ? "below zero" : "not defined";
}

const char* match_reason(const ReportRow& r) {
  return r.line->has_match ? "no range over the uncertainties" : "no match point";
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
  return fixed(std::sqrt(line.gyration[r.point].rg2), csv ? 4 : 1);
}

double match_low(const ReportRow& r) {
  return r.line->has_range ? r.line->match_low : NONE;
}
double match_high(const ReportRow& r) {
  return r.line->has_range ? r.line->match_high : NONE;
}

const ReportColumn COLUMNS[] = {
    {"component", nullptr, nullptr, 0, PLAIN, G6, G6, nullptr,
     [](const ReportRow& r, bool) { return r.line->label; }, nullptr},
    {"copies", nullptr, nullptr, 0, PLAIN, WHOLE, WHOLE,
     [](const ReportRow& r) { return static_cast<double>(r.line->copies); }, nullptr, nullptr},
    {"residues", nullptr, nullptr, 0, PLAIN, WHOLE, WHOLE,
     [](const ReportRow& r) { return static_cast<double>(r.line->residues); }, nullptr, nullptr},
    {"deuteration_percent", nullptr, nullptr, 0, PLAIN, G6, G6,
     [](const ReportRow& r) { return r.component ? r.component->spec.deuteration : NONE; }, nullptr,
     nullptr},
    {"exchange_percent", nullptr, nullptr, 0, PLAIN, G6, G6,
     [](const ReportRow& r) { return r.component ? r.component->makeup.exchange * 100.0 : NONE; },
     nullptr, nullptr},
    {"d2o_percent", "D2O", "%", 7, PLAIN, F2, G6,
     [](const ReportRow& r) { return point(r).d2o_fraction * 100.0; }, nullptr, nullptr},
    {"solvent_sld", "solvent SLD", nullptr, 11, SLD, F3, F6,
     [](const ReportRow& r) { return point(r).solvent_sld; }, nullptr, nullptr},
    {"scattering_length_fm", "length", "fm", 11, PLAIN, F1, G9,
     [](const ReportRow& r) { return point(r).scattering_length; }, nullptr, nullptr},
    {"contrast_fm", "contrast", "fm", 11, PLAIN, F1, G9,
     [](const ReportRow& r) { return point(r).contrast; }, nullptr, nullptr},
    {"mw_g_per_mol", "Mw", "g/mol", 10, PLAIN, F1, G9,
     [](const ReportRow& r) { return point(r).mass; }, nullptr, nullptr},
    {"volume_A3", nullptr, nullptr, 0, PLAIN, WHOLE, G9,
     [](const ReportRow& r) { return point(r).volume; }, nullptr, nullptr},
    {"sld", "SLD", nullptr, 9, SLD, F3, F6,
     [](const ReportRow& r) { return point(r).length_density; }, nullptr, nullptr},
    {"contrast_sld", "contrast SLD", nullptr, 12, SLD, F3, F6,
     [](const ReportRow& r) { return point(r).contrast_density; }, nullptr, nullptr},
    {"match_point_percent", nullptr, nullptr, 0, PLAIN, F2, F2,
     [](const ReportRow& r) { return r.line->has_match ? r.line->match_percent : NONE; }, nullptr,
     nullptr, match_reason},
    {"match_point_low_percent", nullptr, nullptr, 0, PLAIN, F2, F2, match_low, nullptr, nullptr,
     match_reason},
    {"match_point_high_percent", nullptr, nullptr, 0, PLAIN, F2, F2, match_high, nullptr, nullptr,
     match_reason},
    {"xray_sld", "X-ray SLD", nullptr, 9, SLD, F3, F6,
     [](const ReportRow& r) { return point(r).xray_density; }, nullptr, with_xray},
    {"solvent_xray_sld", "solvent X-ray", nullptr, 13, SLD, F3, F6,
     [](const ReportRow& r) { return point(r).xray_solvent_density; }, nullptr, with_xray},
    {"i0_per_cm", "I(0)", "1/cm", 10, PLAIN, G4, G6,
     [](const ReportRow& r) { return point(r).forward_scattering; }, nullptr, with_conc},
    {"i0_xray_per_cm", "X-ray I(0)", "1/cm", 10, PLAIN, G4, G6,
     [](const ReportRow& r) { return point(r).xray_forward_scattering; }, nullptr, with_xray_conc},
    {"rg_A", "Rg", "A", 6, PLAIN, F1, F2, rg_value, rg_cell, with_gyration, rg_reason},
    {"guinier_rg_A", "Guinier Rg", "A", 10, PLAIN, F1, F2, guinier_rg_value, guinier_rg_cell,
     with_curves, guinier_rg_reason},
    {"guinier_i0_per_cm", "Guinier I(0)", "1/cm", 12, PLAIN, G4, G6,
     [](const ReportRow& r) {
       const GuinierFit* fit = guinier(r);
       return fit != nullptr && fit->rg2 > 0.0 ? fit->i0 : NONE;
     },
     nullptr, with_curves},
    {"background_per_cm", "background", "1/cm", 10, PLAIN, F3, G6,
     [](const ReportRow& r) { return beamtime(r).background; }, nullptr, with_beamtime},
    {"transmission", "T", nullptr, 5, PLAIN, F2, G6,
     [](const ReportRow& r) {
       return beamtime(r).transmissions.empty() ? NONE
                                                : beamtime(r).transmissions[beamtime(r).cell];
     },
     nullptr, with_beamtime},
    {"transmission", nullptr, nullptr, 0, CELL, F2, G6,
     [](const ReportRow& r) { return beamtime(r).transmissions[r.cell]; }, nullptr, with_beamtime},
    {"path_mm", "cell", "mm", 5, PLAIN, G4, G6, [](const ReportRow& r) { return beamtime(r).path; },
     nullptr, with_beamtime},
    {"signal_rate_per_s", "signal", "1/s", 9, PLAIN, G4, G6,
     [](const ReportRow& r) { return beamtime(r).signal_rate; }, nullptr, with_beamtime},
    {"time_s", "time", "", 12, PLAIN, G6, G6, time_value, time_cell, with_beamtime, time_reason},
};

}  // namespace

ReportScope report_scope(const std::vector<SeriesLine>& lines, const SeriesOptions& options) {
  ReportScope scope{&options, false, false, options.beamtime};
  for (const SeriesLine& line : lines) {
    scope.gyration = scope.gyration || !line.gyration.empty();
    scope.curves = scope.curves || !line.curves.intensity.empty();
  }
  return scope;
}

double sld_scale(const ReportScope& scope) {
  // 1 fm/A^3 = 1e-13 cm / 1e-24 cm^3 = 1e11 cm^-2 = 10 x 1e-6 A^-2.
  return scope.options->sld_unit == SldUnit::kPerSquareAngstrom ? 10.0 : 1.0;
}

const char* sld_unit_name(const ReportScope& scope) {
  return scope.options->sld_unit == SldUnit::kPerSquareAngstrom ? "1e-6/A^2" : "fm/A^3";
}

std::vector<ShownColumn> report_columns(const ReportScope& scope) {
  std::vector<ShownColumn> shown;
  for (const ReportColumn& column : COLUMNS) {
    if (column.shown != nullptr && !column.shown(scope)) {
      continue;
    }
    const size_t copies = column.scale == ColumnUnit::kCell ? scope.options->cells.size() : 1;
    for (size_t cell = 0; cell < copies; ++cell) {
      shown.push_back({&column, cell});
    }
  }
  return shown;
}

std::string column_name(const ShownColumn& shown, const ReportScope& scope) {
  const ReportColumn& column = *shown.column;
  switch (column.scale) {
    case ColumnUnit::kSld:
      return std::string(column.csv_name) + (scope.options->sld_unit == SldUnit::kPerSquareAngstrom
                                                 ? "_1e-6_per_A2"
                                                 : "_fm_per_A3");
    case ColumnUnit::kCell:
      return std::string(column.csv_name) + "_" + shortest(scope.options->cells[shown.cell]) + "mm";
    case ColumnUnit::kPlain:
      break;
  }
  return column.csv_name;
}

std::string column_unit(const ShownColumn& shown, const ReportScope& scope) {
  if (shown.column->scale == ColumnUnit::kSld) {
    return sld_unit_name(scope);
  }
  return shown.column->unit != nullptr ? shown.column->unit : "";
}

std::string column_cell(const ShownColumn& shown, ReportRow row, const ReportScope& scope,
                        bool csv) {
  const ReportColumn& column = *shown.column;
  row.cell = shown.cell;
  std::string text;
  if (column.cell != nullptr) {
    text = column.cell(row, csv);
  } else {
    double value = column.value(row);
    NumberFormat format = csv ? column.csv_format : column.text_format;
    if (column.scale == ColumnUnit::kSld) {
      value *= sld_scale(scope);
      format.precision += !csv && sld_scale(scope) == 1.0 ? 1 : 0;
    }
    text = std::isnan(value) ? (csv ? "" : "n/a") : format_number(value, format);
  }
  return csv ? csv_field(text) : pad_left(text, static_cast<size_t>(column.width));
}

double column_value(const ShownColumn& shown, ReportRow row, const ReportScope& scope,
                    std::string* reason) {
  const ReportColumn& column = *shown.column;
  row.cell = shown.cell;
  if (column.value == nullptr) {
    *reason = column.cell(row, true);
    return NONE;
  }
  const double value =
      column.value(row) * (column.scale == ColumnUnit::kSld ? sld_scale(scope) : 1.0);
  *reason = !std::isnan(value) ? "" : column.reason != nullptr ? column.reason(row) : "none";
  return value;
}

bool column_is_text(const ShownColumn& shown) {
  return shown.column->value == nullptr;
}
