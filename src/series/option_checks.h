// The checks of a planner command line that need more than one option: each
// component against what it is, and the run as a whole. Shared by series/ only.
#ifndef QUORVANE_SERIES_OPTION_CHECKS_H_
#define QUORVANE_SERIES_OPTION_CHECKS_H_

#include <string>

#include "plan/plan_options.h"

// A mistake the checks find: the option it concerns (the page places it by this), and
// the one line that says it; both empty when there is none.
struct Problem {
  std::string setting;
  std::string message;
};

// A component's options against what it is (a formula needs one volume, --deuterate
// names kinds of its chain type, --chains a structure...), and the density that a
// formula's --volume implies.
Problem check_component(const ComponentSpec& c);
Problem check_implied_density(const ComponentSpec& c);

// The checks that need every option, in the order their mistakes are named.
Problem check_whole(const SeriesOptions& options);

// Two names alike but for case.
bool same_name(const std::string& a, const std::string& b);

// The shortest form of a number (%g).
std::string shortest_text(double value);

#endif  // QUORVANE_SERIES_OPTION_CHECKS_H_
