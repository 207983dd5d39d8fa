// Components from atomic models: each polymer chain, or the chains --chains names, with
// its residues placed for the radius of gyration.
#ifndef QUORVANE_PLAN_STRUCTURE_COMPONENTS_H_
#define QUORVANE_PLAN_STRUCTURE_COMPONENTS_H_

#include <string>
#include <vector>

#include "plan/components.h"

// Reads the structure file of options.components[input] and appends its components
// (see load_components); what may be wrong with a file that was read goes to
// `*warnings`.
bool load_structure_components(const LoadContext& context, int input,
                               std::vector<Component>* components,
                               std::vector<std::string>* warnings, PlanError* error);

#endif  // QUORVANE_PLAN_STRUCTURE_COMPONENTS_H_
