#include "scattering/beamtime.h"

#include <cmath>

#include "scattering/water.h"

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double THERMAL_WAVELENGTH = 1.798;  // angstrom: absorption is tabulated at 2200 m/s
constexpr double BARN = 1e-24;                // cm^2

// A measured total cross section of a liquid, 1/cm, as barn per molecule.
struct Measured {
  double wavelength;  // angstrom
  double barn;
};

// 1/cm at 20 C to barn per molecule: molecules per cm^3 from the density.
double per_molecule(double per_cm, double density, double molar_mass) {
  return per_cm / (density / molar_mass * AVOGADRO) / BARN;
}

double linear(const Measured& a, const Measured& b, double wavelength) {
  return a.barn + (b.barn - a.barn) * (wavelength - a.wavelength) / (b.wavelength - a.wavelength);
}

double molar_mass(const char* h) {
  return 2.0 * find_element(h)->mass + find_element("O")->mass;
}

// Bound-atom total cross section of an element at `wavelength`: coherent 4 pi b^2,
// incoherent, and absorption in proportion to the wavelength.
double bound_cross(const Element& e, double wavelength) {
  return 4.0 * PI * e.length * e.length / 100.0 + e.incoherent +
         e.absorption * wavelength / THERMAL_WAVELENGTH;
}

// Water molecules per cubic centimetre of light and heavy water at the solvent's
// temperature (the console's solvent is taken at 20 C).
void water_molecules(const Solvent& solvent, double* n_h2o, double* n_d2o) {
  const double t = solvent.console ? 20.0 : solvent.temperature;
  *n_h2o = h2o_density(t) / molar_mass("H") * AVOGADRO;
  *n_d2o = d2o_density(t) / molar_mass("D") * AVOGADRO;
}

}  // namespace

double h2o_cross_section(double wavelength) {
  const double density = h2o_density(20.0), mass = molar_mass("H");
  return linear({2.4, per_molecule(4.46, density, mass)}, {4.045, per_molecule(7.0, density, mass)},
                wavelength);
}

double d2o_cross_section(double wavelength) {
  return linear({2.4, per_molecule(0.53, d2o_density(20.0), molar_mass("D"))}, {6.0, 22.0},
                wavelength);
}

HydrogenFigures hydrogen_figures(const Solvent& solvent, double wavelength, double background_h2o,
                                 double background_d2o) {
  double n_h2o = 0.0, n_d2o = 0.0;
  water_molecules(solvent, &n_h2o, &n_d2o);
  HydrogenFigures f{};
  f.o_cross = bound_cross(*find_element("O"), wavelength);
  f.h_cross = (h2o_cross_section(wavelength) - f.o_cross) / 2.0;
  f.d_cross = (d2o_cross_section(wavelength) - f.o_cross) / 2.0;
  f.h_background = background_h2o / (2.0 * n_h2o);
  f.d_background = background_d2o / (2.0 * n_d2o);
  return f;
}

SolutionFigures buffer_figures(const Solvent& solvent, const HydrogenFigures& atoms, double x) {
  double n_h2o = 0.0, n_d2o = 0.0;
  water_molecules(solvent, &n_h2o, &n_d2o);
  const double share = solvent.water_share;
  const double p = solvent.d2o_purity;
  const double oxygens = share * ((1.0 - x) * n_h2o + x * n_d2o);
  Hydrogens hydrogens{2.0 * share * ((1.0 - x) * n_h2o + x * n_d2o * (1.0 - p)),
                      2.0 * share * x * n_d2o * p};
  const double deuterium = labile_deuterium(solvent, x);
  for (const BufferSolute& solute : solvent.buffer) {
    const double n = solute.molar * AVOGADRO / 1000.0;  // per cm^3
    hydrogens.h +=
        n * (solute.unit.nonexchangeable_h + solute.unit.exchangeable_h * (1 - deuterium));
    hydrogens.d += n * solute.unit.exchangeable_h * deuterium;
  }
  return {
      (hydrogens.h * atoms.h_cross + hydrogens.d * atoms.d_cross + oxygens * atoms.o_cross) * BARN,
      hydrogens.h * atoms.h_background + hydrogens.d * atoms.d_background};
}

SolutionFigures sample_figures(const SolutionFigures& buffer, const HydrogenFigures& atoms,
                               double volume_fraction, const Hydrogens& hydrogens) {
  const double rest = 1.0 - volume_fraction;
  return {rest * buffer.attenuation +
              (hydrogens.h * atoms.h_cross + hydrogens.d * atoms.d_cross) * BARN,
          rest * buffer.background + hydrogens.h * atoms.h_background +
              hydrogens.d * atoms.d_background};
}

double ring_rate(const Instrument& instrument, double path, double q, double width) {
  const double area = PI * 0.25 * instrument.aperture * instrument.aperture / 100.0;  // cm^2
  const double lambda2 = instrument.wavelength * instrument.wavelength;
  const double beam = instrument.flux * area * instrument.efficiency * path;
  return beam * (lambda2 * q * width / (2.0 * PI));
}

CountingTime counting_time(const Instrument& instrument, double path, const SolutionFigures& sample,
                           const SolutionFigures& buffer, const CountedRange& range,
                           double target) {
  CountingTime result{false, 0.0, 0.0};
  const double t_sample = std::exp(-sample.attenuation * path);
  const double t_buffer = std::exp(-buffer.attenuation * path);
  double buffer_rate = 0.0;
  // The sums of the weighted least squares of ln I against u = q^2, for one second.
  double sw = 0.0, swu = 0.0, swuu = 0.0;
  bool positive = true;
  for (size_t k = 0; k < range.q.size(); ++k) {
    const double q = range.q[k], intensity = range.intensity[k];
    const double width = range.widths.empty() ? range.width : range.widths[k];
    const double counted = ring_rate(instrument, path, q, width);
    result.signal_rate += counted * t_sample * intensity;
    buffer_rate += counted * t_buffer * buffer.background;
    if (!(intensity > 0.0)) {
      positive = false;
      continue;
    }
    // var(I) t = ((I + B_sample) / T_sample + B_buffer / T_buffer) / (beam dOmega).
    const double variance =
        ((intensity + sample.background) / t_sample + buffer.background / t_buffer) / counted;
    const double weight = intensity * intensity / variance;
    const double u = q * q;
    sw += weight;
    swu += weight * u;
    swuu += weight * u * u;
  }
  const double determinant = sw * swuu - swu * swu;
  if (!positive || !(result.signal_rate >= SIGNAL_FLOOR * buffer_rate) || !(determinant > 0.0)) {
    return result;
  }
  result.signal = true;
  // var(ln I(0)) = swuu / determinant for one second, falling as 1/t.
  result.time = swuu / determinant / (target * target);
  return result;
}
