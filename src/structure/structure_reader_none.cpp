// The structure parser of a build without gemmi: structure files are refused with a
// line that says so.
#include "structure/structure_parser.h"

bool parse_structure(const std::string&, const std::string& name, StructureFormat, StructureModel*,
                     std::string* error) {
  *error = name +
           ": this build reads no structure files (it was built without gemmi); give the "
           "chains as sequences";
  return false;
}
