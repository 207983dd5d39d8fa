// The structure reader of a build without gemmi (the web page): structure files are
// refused with a line that says so.
#include "structure/structure_reader.h"

bool read_structure(const std::string& path, std::vector<StructureChain>*, std::string* error) {
  *error = path +
           ": this build reads no structure files; use quorvane-series on the "
           "command line, or give the chains as sequences";
  return false;
}
