// The console calculator's summary of a run's totals, as the user reads it after the
// per-residue lines.
#ifndef QUORVANE_RESULTS_CONSOLE_SUMMARY_H_
#define QUORVANE_RESULTS_CONSOLE_SUMMARY_H_

#include <cstdio>

#include "sample/sample_settings.h"
#include "scattering/scattering_totals.h"

// Writes the console summary of `totals` for the answers in `settings` to `out`.
void print_summary(const ScatteringTotals& totals, const SampleSettings& settings, std::FILE* out);

#endif  // QUORVANE_RESULTS_CONSOLE_SUMMARY_H_
