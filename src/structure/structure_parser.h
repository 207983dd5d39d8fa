// The parser behind read_structure_bytes: with gemmi in a full build, a refusal in a
// build without it. Only the structure reader calls it.
#ifndef QUORVANE_STRUCTURE_STRUCTURE_PARSER_H_
#define QUORVANE_STRUCTURE_STRUCTURE_PARSER_H_

#include <string>

#include "structure/structure_reader.h"

enum class StructureFormat { kPdb, kMmcif, kUnknown };

// Parses `text`, which is complete (decompressed, ending in a line end), into `model`.
// Returns false with `*error` (naming `name`) when it is not a structure or holds no
// polymer chain in its first model.
bool parse_structure(const std::string& text, const std::string& name, StructureFormat format,
                     StructureModel* model, std::string* error);

#endif  // QUORVANE_STRUCTURE_STRUCTURE_PARSER_H_
