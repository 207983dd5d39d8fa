#include "measured/measured_units.h"

#include <cmath>

// The factor to 1/angstrom of a q unit, or 0 for one that is none.
double q_unit_factor(const std::string& unit) {
  if (unit.empty() || unit == "1/A" || unit == "A^-1" || unit == "1/Angstrom" ||
      unit == "1/angstrom" || unit == "A-1") {
    return 1.0;
  }
  if (unit == "1/nm" || unit == "nm^-1" || unit == "nm-1") {
    return 0.1;
  }
  if (unit == "1/m" || unit == "m^-1" || unit == "m-1") {
    return 1e-10;
  }
  return 0.0;
}

// The factor to 1/cm of an intensity unit (1 for one the file leaves arbitrary), or 0.
double intensity_unit_factor(const std::string& unit, std::string* named) {
  if (unit == "1/cm" || unit == "cm^-1" || unit == "cm-1") {
    *named = "1/cm";
    return 1.0;
  }
  if (unit == "1/m" || unit == "m^-1" || unit == "m-1") {
    *named = "1/cm";
    return 0.01;
  }
  if (unit.empty() || unit == "none" || unit == "a.u." || unit == "arbitrary" || unit == "counts" ||
      unit == "Counts") {
    named->clear();
    return 1.0;
  }
  return 0.0;
}

// Checks what every reader must hand on: points, finite values, errors above 0, q
// increasing. `where(k)` names point k's line or element.
bool checked_curve(const MeasuredCurve& c, const std::function<std::string(size_t)>& where,
                   std::string* error) {
  if (c.q.size() < 2) {
    *error = c.file + ": " + (c.q.empty() ? "no data points" : "one data point") +
             "; a curve needs at least two";
    return false;
  }
  for (size_t k = 0; k < c.q.size(); ++k) {
    const std::string at = c.file + " " + where(k) + ": ";
    if (!std::isfinite(c.q[k]) || !std::isfinite(c.intensity[k]) || !std::isfinite(c.error[k]) ||
        !std::isfinite(c.resolution[k])) {
      *error = at + "a value that is no finite number";
      return false;
    }
    if (!(c.error[k] > 0.0)) {
      *error = at + "an error of I (dI) that is not above 0; every point needs its error";
      return false;
    }
    if (k > 0 && !(c.q[k] > c.q[k - 1])) {
      *error = at + "q does not increase (" + std::to_string(c.q[k]) + " after " +
               std::to_string(c.q[k - 1]) + ")";
      return false;
    }
  }
  return true;
}
