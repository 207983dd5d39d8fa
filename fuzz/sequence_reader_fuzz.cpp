// Fuzzes the two residue-file readers: the first byte picks the data code, the rest is
// the file. The console's reader must keep its count within the sequence and store only
// table rows; the planner's reader must agree with it, entry for entry, on the codes
// they read alike (three-letter names in upper case, numbers).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "residues/composition.h"
#include "residues/residue_table.h"
#include "residues/sequence_reader.h"

namespace {

void check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
  }
}

std::FILE* stream_of(const uint8_t* data, size_t size) {
  return size == 0 ? std::fopen("/dev/null", "r") : fmemopen(const_cast<uint8_t*>(data), size, "r");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) {
    return 0;
  }
  const auto code = static_cast<DataCode>(data[0] % 3);
  std::FILE* file = stream_of(data + 1, size - 1);
  static std::FILE* echo = std::fopen("/dev/null", "w");
  static auto seq = std::make_unique<Sequence>();
  ReadReport report{};
  const ReadStatus status = read_sequence(file, code, echo, seq.get(), &report);
  std::fclose(file);

  check(seq->count >= 0 && seq->count <= MAX_RESIDUES, "count within the sequence");
  for (int32_t slot = 1; slot <= seq->count; ++slot) {
    check(is_residue_number(seq->slots[slot]), "stored number names a row");
  }
  check(status != ReadStatus::kReadError, "a memory stream never fails to read");
  check(report.unknown <= report.entries, "no more unknown entries than entries");
  if (status == ReadStatus::kNotANumber) {
    check(code == DataCode::kNumber, "only the number code refuses non-numbers");
    check(report.entry >= 1 && report.entry <= seq->count + 1, "entry names a position");
    check(std::memchr(report.token, '\0', sizeof report.token) != nullptr, "token is terminated");
  }
  if (status == ReadStatus::kTooManyResidues) {
    check(seq->count == MAX_RESIDUES, "refused only when full");
  }

  file = stream_of(data + 1, size - 1);
  const RecordsRead read = read_records(file, code, ChainKind::kProtein);
  std::fclose(file);
  if (code != DataCode::kOneLetter && status == ReadStatus::kOk) {
    const Composition& comp = read.records.at(0).composition;
    check(comp.residues + comp.unknown == seq->count, "both readers see the same entries");
    double sum = 0.0;
    for (double n : comp.rows) {
      sum += n;
    }
    check(sum == static_cast<double>(comp.residues), "every counted entry is in a row");
  }
  return 0;
}
