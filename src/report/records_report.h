// The one-line-per-record screen of whole FASTA files (--records).
#ifndef QUORVANE_REPORT_RECORDS_REPORT_H_
#define QUORVANE_REPORT_RECORDS_REPORT_H_

#include <cstdio>
#include <vector>

#include "plan/components.h"

// One line per component: ID, residues, Mw (as weighed) and volume, SLD in H2O and in
// D2O, match point and its range; as text or CSV by options.outputs.format. A record that could
// not be planned gets its line with the reason instead of figures (CSV column `error`).
// The caller checks `out` for write errors.
void write_records_report(const std::vector<Component>& components, const SeriesOptions& options,
                          const Solvent& solvent, std::FILE* out);

#endif  // QUORVANE_REPORT_RECORDS_REPORT_H_
