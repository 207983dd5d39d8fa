// The columns of the planner's series report: one table, walked by the text and the
// CSV writers alike, so that a new figure is one row here.
#ifndef QUORVANE_REPORT_REPORT_COLUMNS_H_
#define QUORVANE_REPORT_REPORT_COLUMNS_H_

#include <string>
#include <vector>

#include "plan/components.h"
#include "plan/series_lines.h"
#include "text/text_format.h"

// One row of the report: a line (a component or the complex) at one D2O point.
struct ReportRow {
  const SeriesLine* line;
  const Component* component;  // null for the complex
  size_t point;
  size_t cell;  // for a column per cell, the cell's place in options.cells
};

// What the whole report holds, which decides the optional columns and the units.
struct ReportScope {
  const SeriesOptions* options;
  bool gyration;  // some line has coordinates
  bool curves;    // some line has predicted curves
  bool beamtime;  // the run estimates counting times
};

// The scope of a report of `lines`.
ReportScope report_scope(const std::vector<SeriesLine>& lines, const SeriesOptions& options);

// How a column's figures scale and are named.
enum class ColumnUnit {
  kPlain,  // as computed; its names carry their unit
  kSld,    // a scattering length density: 1e-6 A^-2 or fm/A^3 by --sld-unit
  kCell,   // one column per cell of --cells, its name ending in the cell's path: _1mm
};

struct ReportColumn {
  const char* csv_name;  // for kSld columns, without the unit's suffix
  const char* header;    // text table header; null: CSV only (the text heading says it)
  const char* unit;      // text table unit line; for kSld columns, set by --sld-unit
  int width;             // text table width
  ColumnUnit scale;
  NumberFormat text_format;  // for kSld columns, in 1e-6 A^-2; one more decimal in fm/A^3
  NumberFormat csv_format;
  double (*value)(const ReportRow&);  // not a number: an empty cell
  // For cells that are text or say why there is no number; null: the value's format.
  std::string (*cell)(const ReportRow&, bool csv);
  bool (*shown)(const ReportScope&);  // null: always
  // Why a row has no number ("no signal", "below zero"), for callers that take the
  // numbers themselves; null: a missing number is just "none".
  const char* (*reason)(const ReportRow&) = nullptr;
};

// A column as shown: per-cell columns once per cell.
struct ShownColumn {
  const ReportColumn* column;
  size_t cell;
};

// The columns `scope` shows, in order.
std::vector<ShownColumn> report_columns(const ReportScope& scope);

// A column's CSV name and text unit under the scope's SLD unit and cells.
std::string column_name(const ShownColumn& shown, const ReportScope& scope);
std::string column_unit(const ShownColumn& shown, const ReportScope& scope);

// A row's cell in text (padded to the column's width) or CSV (quoted where needed).
std::string column_cell(const ShownColumn& shown, ReportRow row, const ReportScope& scope,
                        bool csv);

// A row's figure, unrounded and in the scope's SLD unit, for callers that take numbers
// rather than text (Python, the page); NaN where there is none, and then `*reason` says
// why. The label column, text only, gives NaN and its label as the reason.
double column_value(const ShownColumn& shown, ReportRow row, const ReportScope& scope,
                    std::string* reason);

// Whether a column holds text (the component's label) rather than numbers.
bool column_is_text(const ShownColumn& shown);

// The factor from fm per cubic angstrom to the scope's SLD unit, and its name.
double sld_scale(const ReportScope& scope);
const char* sld_unit_name(const ReportScope& scope);

#endif  // QUORVANE_REPORT_REPORT_COLUMNS_H_
