// NXcanSAS files (HDF5), read where the build has HDF5: every SASentry's SASdata of
// one dimension a curve, its datasets named by the group's attributes (signal, I_axes,
// the signal's uncertainties, the axis' resolutions) as the format defines them.
#ifndef QUORVANE_MEASURED_NXCANSAS_READER_H_
#define QUORVANE_MEASURED_NXCANSAS_READER_H_

#include <string>
#include <vector>

#include "measured/measured_reader.h"

// Whether this build reads NXcanSAS (it was built with HDF5).
bool reads_nxcansas();

// Reads the curves of an NXcanSAS file's `bytes`; false with `*error` naming the file
// and the group or dataset for a file that is no NXcanSAS, holds two-dimensional data,
// slit-smeared data, a dataset of another length, or an unknown unit.
bool read_nxcansas(const std::string& bytes, const std::string& name,
                   std::vector<MeasuredCurve>* curves, std::string* error);

#endif  // QUORVANE_MEASURED_NXCANSAS_READER_H_
