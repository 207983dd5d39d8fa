// Fuzzes the readers of measured curves with arbitrary bytes, as a file of whatever
// format its content says (canSAS XML, text). A file is refused with a message naming
// it, or read into curves that keep what every reader promises: at least two points,
// q increasing, finite values, errors above 0; and their Guinier fits are finite.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "measured/measured_reader.h"
#include "plan/measured_analysis.h"

namespace {

void check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::vector<MeasuredCurve> curves;
  std::string error;
  if (!read_measured(bytes, "fuzz.dat", &curves, &error)) {
    check(error.rfind("fuzz.dat", 0) == 0, "a refusal names the file");
    return 0;
  }
  check(!curves.empty(), "a file read holds a curve");
  for (const MeasuredCurve& c : curves) {
    check(c.q.size() >= 2, "a curve has two points");
    check(c.intensity.size() == c.q.size() && c.error.size() == c.q.size() &&
              c.resolution.size() == c.q.size(),
          "columns of one length");
    for (size_t k = 0; k < c.q.size(); ++k) {
      check(std::isfinite(c.q[k]) && std::isfinite(c.intensity[k]), "finite values");
      check(c.error[k] > 0.0, "errors above 0");
      check(k == 0 || c.q[k] > c.q[k - 1], "q increasing");
    }
    const MeasuredGuinier g = fit_measured_guinier(c);
    check(!g.fitted || (std::isfinite(g.rg) && std::isfinite(g.i0) && g.last < c.q.size()),
          "a fit is finite and within the curve");
  }
  return 0;
}
