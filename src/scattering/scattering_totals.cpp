#include "scattering/scattering_totals.h"

#include "residues/residue_table.h"

float compute_solvent_density(double x) {
  const double h = 1.0 - x;
  return static_cast<float>((x * D2O_DENSITY_FACTOR - h * H2O_DENSITY_FACTOR) * DENSITY_SCALE);
}

ScatteringTotals compute_totals(const Sequence& seq, const SampleSettings& settings,
                                std::FILE* lines) {
  ScatteringTotals totals{};
  totals.residue_count = seq.count;
  const double h = settings.h2o_fraction;
  const double d = settings.deuteration_fraction;
  const bool deuterated = is_deuterated(settings);
  // Every product below is taken in double: widening only the result of a float
  // product would round it twice and move the sixth decimal.
  const double solvent = settings.solvent_density;
  const int32_t last = seq.count < MAX_RESIDUES ? seq.count : MAX_RESIDUES;
  for (int32_t slot = 1; slot <= last; ++slot) {
    const int32_t number = is_residue_number(seq.slots[slot]) ? seq.slots[slot] : UNKNOWN_RESIDUE;
    const ResidueRecord& r = residue_table[number];
    const double volume = r.volume;
    totals.volume += volume;
    totals.nonexchangeable_h += r.nonexchangeable_h;
    totals.exchangeable_h += r.exchangeable_h;
    // The table counts exchangeable hydrogens as deuterium; the H2O share of them
    // is hydrogen again.
    totals.mass += static_cast<double>(r.mass) - (r.exchangeable_h * EXCHANGE_MASS_STEP) * h;
    const double b =
        static_cast<double>(r.scattering_length) - h * (r.exchangeable_h * EXCHANGE_LENGTH_STEP);
    totals.scattering_length += b;
    totals.contrast += b - volume * solvent;
    if (deuterated) {
      totals.mass += (EXCHANGE_MASS_STEP * r.nonexchangeable_h) * d;
      const double w = d * (EXCHANGE_LENGTH_STEP * r.nonexchangeable_h);
      totals.scattering_length += w;
      totals.contrast += w;
    }
    if (lines != nullptr) {
      std::fprintf(lines, "Acid=%d, Name:%s\n", static_cast<int>(number), r.name);
    }
  }
  totals.mass += WATER_MASS;
  return totals;
}

void print_summary(ScatteringTotals* totals, const SampleSettings& settings, std::FILE* out) {
  totals->length_density = totals->scattering_length / totals->volume;
  totals->contrast_density = totals->contrast / totals->volume;
  std::fprintf(out, "\n");
  std::fprintf(out, "Acid Total Number=%d\n", static_cast<int>(totals->residue_count));
  std::fprintf(out, "D2O concentration (%%) = %f\n", text_to_number(settings.d2o_text));
  std::fprintf(out, "Total scattering length=%f\n", totals->scattering_length);
  std::fprintf(out, "Total scattering contrast=%f\n", totals->contrast);
  std::fprintf(out, "Total volume =%f\n", totals->volume);
  std::fprintf(out, "Total Mw =%f\n", totals->mass);
  std::fprintf(out, "Total unExchangable Hydrogen =%d\n",
               static_cast<int>(totals->nonexchangeable_h));
  std::fprintf(out, "Total Exchangable Hydrogen =%d\n", static_cast<int>(totals->exchangeable_h));
  std::fprintf(out, "Scattering length density = %f\n", totals->length_density);
  std::fprintf(out, "Scattering contrast = %f\n", totals->contrast_density);
  std::fprintf(out, "Solvent scattering length density= %f\n",
               static_cast<double>(settings.solvent_density));
}
