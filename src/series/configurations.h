// The camera's configurations: the keys of an --instrument file's [NAME] sections, and
// the configurations a run counts with. Shared by the files of series/ only.
#ifndef QUORVANE_SERIES_CONFIGURATIONS_H_
#define QUORVANE_SERIES_CONFIGURATIONS_H_

#include <string>

#include "plan/plan_error.h"
#include "plan/plan_options.h"

// Whether `line` (without blanks at its ends) opens a section, "[NAME]"; its name.
bool section_name(const std::string& line, std::string* name);

// A section's first settings: the run's wavelength, spread, flux and aperture as the
// file has set them so far.
Configuration configuration_from(const SeriesOptions& options, const std::string& name);

// Sets one key of a section; "" when it fits, else what the value must be, or, for a
// key that is none, "unknown key 'KEY'; the keys are ...".
std::string set_configuration(const std::string& key, const std::string& value, Configuration* c);

// The configurations of the run: those --configs names, in the order of their q range,
// or, when a simulation needs one and none is named, one from the run's settings on a
// camera of TYPICAL geometry. False with `*error` for a name the file does not hold.
bool resolve_configurations(SeriesOptions* options, PlanError* error);

// Reads the --instrument file, when there is one, applies its settings to those not
// given otherwise, and resolves the configurations: what a run's settings need before
// it can be planned. False with `*error` for a file that cannot be read or a setting
// or section that is wrong.
bool read_configurations(SeriesOptions* options, PlanError* error);

#endif  // QUORVANE_SERIES_CONFIGURATIONS_H_
