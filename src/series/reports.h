// The planner's reports on standard output: the text table, CSV for spreadsheets, and
// the one-line-per-record screen of a multi-record FASTA file.
#ifndef QUORVANE_SERIES_REPORTS_H_
#define QUORVANE_SERIES_REPORTS_H_

#include <cstdio>
#include <vector>

#include "series/components.h"
#include "series/series_lines.h"

// `lines` holds one line per component, in order, then possibly the complex.
void write_text_report(const std::vector<Component>& components,
                       const std::vector<SeriesLine>& lines, const SeriesOptions& options,
                       std::FILE* out);
void write_csv_report(const std::vector<Component>& components,
                      const std::vector<SeriesLine>& lines, const SeriesOptions& options,
                      std::FILE* out);

// One line per component: ID, residues, Mw and volume, SLD in H2O and in D2O, match
// point; as text or CSV by options.format.
void write_records_report(const std::vector<Component>& components, const SeriesOptions& options,
                          std::FILE* out);

// The Stuhrmann fits as CSV: component, rm (angstrom; negative when Rm^2 is), alpha
// (fm/A), beta (fm^2/A^4), residual (square angstrom), points. Returns false when a write
// failed.
bool write_stuhrmann_csv(const std::vector<SeriesLine>& lines, std::FILE* out);

#endif  // QUORVANE_SERIES_REPORTS_H_
