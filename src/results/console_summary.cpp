#include "results/console_summary.h"

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
