#include "scattering/scattering_totals.h"

#include <cstring>
#include <memory>

#include "residues/chemistry.h"
#include "residues/residue_table.h"
#include "scattering/scattering_model.h"

namespace {

// The per-residue lines are most of the console output of a long sequence: they are
// copied from one prepared line per row into a block that is written whole.
class LineWriter {
 public:
  explicit LineWriter(std::FILE* out) : out_(out) {
    for (int32_t row = 0; row < RESIDUE_ROWS; ++row) {
      const int length = std::snprintf(lines_[row], sizeof lines_[row], "Acid=%d, Name:%s\n",
                                       static_cast<int>(row), residue_table[row].name);
      lengths_[row] = static_cast<size_t>(length);
    }
  }
  ~LineWriter() { flush(); }
  LineWriter(const LineWriter&) = delete;
  LineWriter& operator=(const LineWriter&) = delete;

  void add(int32_t row) {
    if (used_ + sizeof lines_[0] > sizeof block_) {
      flush();
    }
    std::memcpy(block_ + used_, lines_[row], lengths_[row]);
    used_ += lengths_[row];
  }

 private:
  void flush() {
    std::fwrite(block_, 1, used_, out_);
    used_ = 0;
  }

  std::FILE* out_;
  char lines_[RESIDUE_ROWS][24];
  size_t lengths_[RESIDUE_ROWS];
  char block_[1 << 15];
  size_t used_ = 0;
};

}  // namespace

ScatteringTotals compute_totals(const Sequence& seq, const SampleSettings& settings,
                                std::FILE* lines) {
  ScatteringTotals totals{};
  totals.residue_count = seq.count;
  const bool deuterated = is_deuterated(settings);
  const double solvent = settings.solvent_density;
  ResidueTerms terms[RESIDUE_ROWS];
  for (int32_t row = 0; row < RESIDUE_ROWS; ++row) {
    terms[row] = residue_terms(unit_of(residue_table[row]), settings.h2o_fraction,
                               settings.deuteration_fraction);
  }
  auto writer = lines == nullptr ? nullptr : std::make_unique<LineWriter>(lines);
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
    if (deuterated) {
      totals.mass += t.deuteration_mass;
      totals.scattering_length += t.deuteration_length;
      totals.contrast += t.deuteration_length;
    }
    if (writer) {
      writer->add(row);
    }
  }
  totals.mass += WATER_MASS;
  totals.length_density = totals.scattering_length / totals.volume;
  totals.contrast_density = totals.contrast / totals.volume;
  return totals;
}

void print_summary(const ScatteringTotals& totals, const SampleSettings& settings, std::FILE* out) {
  std::fprintf(out, "\n");
  std::fprintf(out, "Acid Total Number=%d\n", static_cast<int>(totals.residue_count));
  std::fprintf(out, "D2O concentration (%%) = %f\n", settings.d2o_percent);
  std::fprintf(out, "Total scattering length=%f\n", totals.scattering_length);
  std::fprintf(out, "Total scattering contrast=%f\n", totals.contrast);
  std::fprintf(out, "Total volume =%f\n", totals.volume);
  std::fprintf(out, "Total Mw =%f\n", totals.mass);
  std::fprintf(out, "Total unExchangable Hydrogen =%d\n",
               static_cast<int>(totals.nonexchangeable_h));
  std::fprintf(out, "Total Exchangable Hydrogen =%d\n", static_cast<int>(totals.exchangeable_h));
  std::fprintf(out, "Scattering length density = %f\n", totals.length_density);
  std::fprintf(out, "Scattering contrast = %f\n", totals.contrast_density);
  std::fprintf(out, "Solvent scattering length density= %f\n",
               static_cast<double>(settings.solvent_density));
}
