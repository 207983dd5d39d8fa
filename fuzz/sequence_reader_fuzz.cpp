// Fuzzes the residue-file reader: the first byte picks the data code (0, 1, 2, or the
// next four bytes as any code at all), the rest is the file. Checks that the count
// stays within the sequence and that every stored number names a table row.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "residues/residue_table.h"
#include "residues/sequence_reader.h"

namespace {

void check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) {
    return 0;
  }
  int data_code = data[0] % 4;
  size_t offset = 1;
  if (data_code == 3 && size >= 5) {
    std::memcpy(&data_code, data + 1, sizeof data_code);
    offset = 5;
  }
  std::FILE* file = fmemopen(const_cast<uint8_t*>(data + offset), size - offset, "r");
  if (size == offset) {
    file = std::fopen("/dev/null", "r");
  }
  static std::FILE* echo = std::fopen("/dev/null", "w");
  static auto seq = std::make_unique<Sequence>();
  ReadProblem problem{};
  const ReadStatus status = read_sequence(file, data_code, echo, seq.get(), &problem);
  std::fclose(file);

  const bool known_code = data_code >= 0 && data_code <= 2;
  check(seq->count <= MAX_RESIDUES, "count within the sequence");
  check(known_code ? seq->count >= 0 : seq->count == -1, "count of -1 only for other codes");
  for (int32_t slot = 1; slot <= seq->count; ++slot) {
    check(is_residue_number(seq->slots[slot]), "stored number names a row");
  }
  check(status != ReadStatus::kReadError, "a memory stream never fails to read");
  if (status == ReadStatus::kNotANumber) {
    check(data_code == NUMBER_CODE, "only the number code refuses non-numbers");
    check(problem.entry >= 1 && problem.entry <= seq->count + 1, "entry names a position");
    check(std::memchr(problem.token, '\0', sizeof problem.token) != nullptr, "token is terminated");
  }
  if (status == ReadStatus::kTooManyResidues) {
    check(seq->count == MAX_RESIDUES, "refused only when full");
  }
  return 0;
}
