// quorvane-series: contrast variation of proteins and their complexes over the D2O
// content of the solvent, as a text table, CSV, and an SVG plot.
#ifndef QUORVANE_SERIES_SERIES_H_
#define QUORVANE_SERIES_SERIES_H_

#include <cstdio>
#include <string>
#include <vector>

#include "scattering/contrast_series.h"
#include "series/series_options.h"

// A component whose residue file has been read.
struct LoadedComponent {
  ComponentSpec spec;
  int code;  // the data code the file was read in
  ResidueCounts counts;
};

// Reads the residue file of `spec`, in the code it names, or in the code its extension and first
// entry suggest. Returns false with a one-line `*error` when the file cannot be opened or read, is
// refused by the reader, or holds no residue.
bool load_component(const ComponentSpec& spec, LoadedComponent* component, std::string* error);

// One plotted or tabulated line: a component or the complex, over the series.
struct SeriesLine {
  std::string label;
  int64_t copies;
  std::vector<SeriesPoint> points;
  bool has_match;
  double match_percent;
};

// The lines of every component and, when there is more than one molecule, the
// complex, computed from the residue counts in one pass each.
std::vector<SeriesLine> compute_series(const std::vector<LoadedComponent>& components,
                                       const SeriesOptions& options);

void write_text_report(const std::vector<LoadedComponent>& components,
                       const std::vector<SeriesLine>& lines, const SeriesOptions& options,
                       std::FILE* out);
void write_csv_report(const std::vector<LoadedComponent>& components,
                      const std::vector<SeriesLine>& lines, std::FILE* out);

// The SVG plot of contrast density against % D2O, as text.
std::string svg_plot(const std::vector<SeriesLine>& lines, const SeriesOptions& options);

// Writes the plot to `path`, replacing an earlier file only once complete. Returns
// false with a one-line `*error` on failure.
bool write_svg(const std::string& path, const std::string& svg, std::string* error);

// The whole program: returns the exit status (0 done, 1 a file failed, 2 bad usage).
int run_series(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

#endif  // QUORVANE_SERIES_SERIES_H_
