// The result file: the run's totals with units, written beside the residue file under
// a name that records the D2O and deuteration percentages.
#ifndef QUORVANE_RESULTS_RESULT_FILE_H_
#define QUORVANE_RESULTS_RESULT_FILE_H_

#include <cstdio>

#include "sample/sample_settings.h"
#include "scattering/scattering_totals.h"

// Fills names->result_path with directory, base name, "_" and the D2O text as typed,
// then "_<ratio>D" for a deuterated sample, then ".DAT": sample_100.DAT,
// sample_100_70D.DAT. Returns false, leaving result_path empty, when the name would
// not fit its 99 characters.
bool make_result_name(FileNames* names, const SampleSettings& settings);

// Writes the report to `file`, which the caller opened in text mode and closes. The
// last line, the trailer, has no line end. Returns false when any write failed,
// including the flush at the end.
bool write_result_lines(std::FILE* file, const FileNames& names, const SampleSettings& settings,
                        const ScatteringTotals& totals);

enum class ResultWrite {
  kWritten,
  kCannotOpen,   // nothing was written
  kWriteFailed,  // any earlier file of that name is unchanged
  kIsInput,      // the result name is the residue file itself (through a link); untouched
};

// Writes the report to names.result_path (see make_result_name): a plain file is
// replaced only once the new one is complete and closed, a link's target or a device
// is written through (see io/output_file.h). Prints nothing.
ResultWrite write_result_file(const FileNames& names, const SampleSettings& settings,
                              const ScatteringTotals& totals);

#endif  // QUORVANE_RESULTS_RESULT_FILE_H_
