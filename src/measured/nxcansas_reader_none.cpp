// The NXcanSAS reader of a build without HDF5 (the web page, Windows): it says so.
#include "measured/nxcansas_reader.h"

bool reads_nxcansas() {
  return false;
}

bool read_nxcansas(const std::string&, const std::string& name, std::vector<MeasuredCurve>*,
                   std::string* error) {
#if defined(__EMSCRIPTEN__)
  *error = name +
           ": an HDF5 file (NXcanSAS), which this page cannot read; export the curve as canSAS "
           "XML or text, or read it with the quorvane-series command";
#else
  *error = name +
           ": an HDF5 file (NXcanSAS), which this build does not read (it was built without "
           "HDF5: install libhdf5-dev and build again); or export the curve as canSAS XML or "
           "text";
#endif
  return false;
}
