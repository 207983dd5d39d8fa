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
};

// What the whole report holds, which decides the optional columns.
struct ReportScope {
  const SeriesOptions* options;
  bool gyration;  // some line has coordinates
};

struct ReportColumn {
  const char* csv_name;
  const char* header;  // text table header; null: CSV only (the text heading says it)
  int width;           // text table width
  NumberFormat text_format;
  NumberFormat csv_format;
  double (*value)(const ReportRow&);  // not a number: an empty cell
  // For cells that are text or say why there is no number; null: the value's format.
  std::string (*cell)(const ReportRow&, bool csv);
  bool (*shown)(const ReportScope&);  // null: always
};

// The columns `scope` shows, in order.
std::vector<const ReportColumn*> report_columns(const ReportScope& scope);

// A row's cell in text (padded to the column's width) or CSV (quoted where needed).
std::string column_cell(const ReportColumn& column, const ReportRow& row, bool csv);

#endif  // QUORVANE_REPORT_REPORT_COLUMNS_H_
