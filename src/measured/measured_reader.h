// Reduced 1D SANS data as facilities write them, read into one record whatever the
// format: the format is known from the content (the root element, a header line), and
// units are converted once, here, so that nothing downstream sees 1/nm.
#ifndef QUORVANE_MEASURED_MEASURED_READER_H_
#define QUORVANE_MEASURED_MEASURED_READER_H_

#include <string>
#include <vector>

// A transmission measured against wavelength (canSAS SAStransmission_spectrum).
struct TransmissionSpectrum {
  std::string name;                                     // "sample", "can"...
  std::vector<double> wavelength, transmission, error;  // angstrom; fractions
};

struct MeasuredCurve {
  std::string file;                // as the caller named it
  std::string format;              // "canSAS 1D XML", "NIST ABS", "text"
  std::string title;               // the file's, or "" where it gives none
  std::vector<double> q;           // 1/angstrom, increasing
  std::vector<double> intensity;   // in intensity_unit
  std::vector<double> error;       // one standard deviation, above 0
  std::vector<double> resolution;  // 1/angstrom, one standard deviation; 0 where not given
  std::string intensity_unit;      // "1/cm", or "" where the file does not say
  double thickness_mm = 0.0;       // the sample's; 0 where not given
  std::vector<TransmissionSpectrum> transmissions;
};

// Reads the curves of a file's `bytes` (`name` stands for it in messages): canSAS 1D
// XML 1.0 or 1.1 (every SASentry and SASdata a curve; Q in 1/A, 1/nm or 1/m, I in
// 1/cm or 1/m converted, unstated units taken as 1/A and arbitrary), NIST's 6-column
// ABS, and text of 3 or 4 columns (q I dI [dq], q in 1/A) after any lines of header,
// ISIS's text among them. False with `*error` naming the file, the line or element, and
// what was expected: no data, a value that is no finite number, an error not above 0,
// q not increasing, an unknown unit, slit-smeared data, a cut file, an HDF5 file (this
// build reads no NXcanSAS).
bool read_measured(const std::string& bytes, const std::string& name,
                   std::vector<MeasuredCurve>* curves, std::string* error);

// The same for a file on disk.
bool read_measured_file(const std::string& path, std::vector<MeasuredCurve>* curves,
                        std::string* error);

#endif  // QUORVANE_MEASURED_MEASURED_READER_H_
