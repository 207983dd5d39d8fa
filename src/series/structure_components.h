// Components from atomic models: each polymer chain, or the chains --chains names, with
// its residues placed for the radius of gyration.
#ifndef QUORVANE_SERIES_STRUCTURE_COMPONENTS_H_
#define QUORVANE_SERIES_STRUCTURE_COMPONENTS_H_

#include <string>
#include <vector>

#include "series/components.h"

// Reads the structure file of `spec` and appends its components (see load_components).
bool load_structure_components(const ComponentSpec& spec, const SeriesOptions& options,
                               std::vector<Component>* components,
                               std::vector<std::string>* warnings, std::string* error);

#endif  // QUORVANE_SERIES_STRUCTURE_COMPONENTS_H_
