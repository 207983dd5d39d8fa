// The simulated measurements as the files fitting programs read: for each sample, D2O
// point and configuration a text file of four columns (q, I, dI, dq) under a commented
// header, and for the whole series one canSAS 1D 1.1 XML file with an SASentry per
// sample and D2O point; and what the text report says of them.
#ifndef QUORVANE_REPORT_SIMULATION_FILES_H_
#define QUORVANE_REPORT_SIMULATION_FILES_H_

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "plan/series_lines.h"

// The name of the series' XML file in the --simulate folder.
constexpr const char* SIMULATED_XML = "simulated.xml";

// Every file of the --simulate folder: its name (no folder) and its bytes. Names are
// LABEL_D2O_CONFIG.dat, the label's characters other than letters, digits, '.', '-'
// and '_' made '_' (a name taken twice gets -2, -3...).
std::vector<std::pair<std::string, std::string>> simulation_files(
    const std::vector<SeriesLine>& lines, const SeriesOptions& options);

// The report's section on the simulated measurements: per line the configurations and
// the q range they cover, per point each configuration's time and, with --compare, the
// chi-square and the time for it to reach 2.
void write_simulation(const std::vector<SeriesLine>& lines, const SeriesOptions& options,
                      std::FILE* out);

#endif  // QUORVANE_REPORT_SIMULATION_FILES_H_
