#include "scattering/scattering_totals.h"

#include <cstring>
#include <memory>

#include "residues/chemistry.h"
#include "residues/residue_table.h"
#include "scattering/scattering_model.h"

namespace {

// The per-residue lines are most of the console output of a long sequence: they are
// copied from one prepared line per row into a block that is written whole.
struct LineBlock {
  std::FILE* out;
  char lines[RESIDUE_ROWS][24];
  size_t lengths[RESIDUE_ROWS];
  char block[1 << 15];
  size_t used;
};

void start_lines(std::FILE* out, LineBlock* b) {
  b->out = out;
  b->used = 0;
  for (int32_t row = 0; row < RESIDUE_ROWS; ++row) {
    const int length = std::snprintf(b->lines[row], sizeof b->lines[row], "Acid=%d, Name:%s\n",
                                     static_cast<int>(row), residue_table[row].name);
    b->lengths[row] = static_cast<size_t>(length);
  }
}

void flush_lines(LineBlock* b) {
  std::fwrite(b->block, 1, b->used, b->out);
  b->used = 0;
}

void add_line(int32_t row, LineBlock* b) {
  if (b->used + sizeof b->lines[0] > sizeof b->block) {
    flush_lines(b);
  }
  std::memcpy(b->block + b->used, b->lines[row], b->lengths[row]);
  b->used += b->lengths[row];
}

}  // namespace

ScatteringTotals compute_totals(const Sequence& seq, double h2o_fraction,
                                double deuteration_fraction, float solvent_density,
                                std::FILE* lines) {
  ScatteringTotals totals{};
  totals.residue_count = seq.count;
  const double solvent = solvent_density;
  ResidueTerms terms[RESIDUE_ROWS];
  for (int32_t row = 0; row < RESIDUE_ROWS; ++row) {
    terms[row] = residue_terms(unit_of(residue_table[row]), h2o_fraction, deuteration_fraction,
                               CONSOLE_STEPS);
  }
  std::unique_ptr<LineBlock> block;
  if (lines != nullptr) {
    block = std::make_unique<LineBlock>();
    start_lines(lines, block.get());
  }
  const int32_t last = seq.count < MAX_RESIDUES ? seq.count : MAX_RESIDUES;
  for (int32_t slot = 1; slot <= last; ++slot) {
    const int32_t row = is_residue_number(seq.slots[slot]) ? seq.slots[slot] : UNKNOWN_RESIDUE;
    const ResidueTerms& t = terms[row];
    totals.volume += t.volume;
    totals.nonexchangeable_h += residue_table[row].nonexchangeable_h;
    totals.exchangeable_h += residue_table[row].exchangeable_h;
    totals.mass += t.mass;
    totals.scattering_length += t.length;
    totals.contrast += t.length - t.volume * solvent;
    // Zero terms when not deuterated: adding 0.0 leaves every sum as it was.
    totals.mass += t.deuteration_mass;
    totals.scattering_length += t.deuteration_length;
    totals.contrast += t.deuteration_length;
    if (block) {
      add_line(row, block.get());
    }
  }
  if (block) {
    flush_lines(block.get());
  }
  totals.mass += WATER_MASS;
  totals.length_density = totals.scattering_length / totals.volume;
  totals.contrast_density = totals.contrast / totals.volume;
  return totals;
}
