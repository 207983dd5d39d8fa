// What every reader of measured curves shares: the units it converts and the checks a
// curve passes before any analysis sees it.
#ifndef QUORVANE_MEASURED_MEASURED_UNITS_H_
#define QUORVANE_MEASURED_MEASURED_UNITS_H_

#include <cstddef>
#include <functional>
#include <string>

#include "measured/measured_reader.h"

// The factor to 1/angstrom of a q unit (1/A, 1/nm, 1/m; none given: 1/A), or 0 for one
// that is none of them.
double q_unit_factor(const std::string& unit);

// The factor to 1/cm of an intensity unit (1/cm, 1/m), 1 for one the file leaves
// arbitrary (none, counts, a.u.), with `*named` "1/cm" or ""; 0 for an unknown one.
double intensity_unit_factor(const std::string& unit, std::string* named);

// Whether `c` holds at least two points, finite values, errors above 0 and q
// increasing; false with `*error` naming the file and `where(k)` of the first point
// that does not.
bool checked_curve(const MeasuredCurve& c, const std::function<std::string(size_t)>& where,
                   std::string* error);

#endif  // QUORVANE_MEASURED_MEASURED_UNITS_H_
