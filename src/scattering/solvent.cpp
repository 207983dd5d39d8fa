#include "scattering/solvent.h"

#include <cmath>
#include <cstdlib>

#include "residues/residue_table.h"
#include "residues/solutes.h"
#include "scattering/scattering_model.h"
#include "scattering/water.h"
#include "text/decimal.h"

namespace {

constexpr double MOLAR_PER_A3 = AVOGADRO * 1e-27;  // molecules per A^3 in 1 mol/L

// Molecules per cubic angstrom of a water of `density` g/cm^3 and `mass` g/mol.
double molecules(double density, double mass) {
  return density * AVOGADRO / mass * 1e-24;
}

// A number with a unit after it: 150mM, 1.5M, 10%v/v.
bool split_number(const std::string& text, double* value, std::string* unit) {
  const size_t length = decimal_length(text.c_str());
  if (length == 0 || !parse_decimal(text.substr(0, length), value) || *value < 0.0) {
    return false;
  }
  *unit = text.substr(length);
  return true;
}

bool read_concentration(const std::string& text, double liquid_density, BufferSolute* s,
                        std::string* error) {
  double value = 0.0;
  std::string unit;
  if (!split_number(text, &value, &unit)) {
    *error = "'" + text + "' is not a concentration such as 150mM, 1M, 5%w/v or 10%v/v";
    return false;
  }
  s->concentration = text;
  if (unit == "M") {
    s->molar = value;
  } else if (unit == "mM") {
    s->molar = value / 1000.0;
  } else if (unit == "%w/v") {
    s->molar = value * 10.0 / unit_weighed_mass(s->unit);  // grams per 100 mL to mol/L
  } else if (unit == "%v/v" && liquid_density > 0.0) {
    s->molar = value * liquid_density * 10.0 / unit_weighed_mass(s->unit);
  } else if (unit == "%v/v") {
    *error =
        "%v/v needs the density of the pure liquid, which the planner has for glycerol "
        "and ethanol only; give M, mM or %w/v";
    return false;
  } else {
    *error = "'" + text + "' is not a concentration such as 150mM, 1M, 5%w/v or 10%v/v";
    return false;
  }
  return true;
}

}  // namespace

Solvent console_solvent() {
  Solvent s{};
  s.console = true;
  s.temperature = 20.0;
  s.d2o_purity = 1.0;
  s.steps = {EXCHANGE_LENGTH_STEP, EXCHANGE_MASS_STEP};
  s.sld_at_h2o = SOLVENT_AT_H2O;
  s.sld_per_d2o = SOLVENT_PER_D2O;
  s.xray_at_h2o = xray_solvent_density(0.0);
  s.xray_per_d2o = xray_solvent_density(1.0) - s.xray_at_h2o;
  s.water_share = 1.0;
  return s;
}

Solvent make_solvent(double celsius, double d2o_purity, const std::vector<BufferSolute>& buffer) {
  const Element& h = *find_element("H");
  const Element& d = *find_element("D");
  const Element& o = *find_element("O");
  Solvent s{};
  s.console = false;
  s.temperature = celsius;
  s.d2o_purity = d2o_purity;
  s.buffer = buffer;
  s.steps = element_steps();
  const double n_h2o = molecules(h2o_density(celsius), 2.0 * h.mass + o.mass);
  const double n_d2o = molecules(d2o_density(celsius), 2.0 * d.mass + o.mass);
  // Heavy water of purity p: its hydrogens are D with probability p. Its molecules are
  // counted as those of pure D2O (99.8 % D2O is 0.02 % less dense).
  const double b_h2o = 2.0 * h.length + o.length;
  const double b_heavy = 2.0 * (d2o_purity * d.length + (1.0 - d2o_purity) * h.length) + o.length;
  s.water_share = 1.0;
  double solute_sld = 0.0, solute_slope = 0.0, solute_electrons = 0.0;
  for (const BufferSolute& solute : buffer) {
    const double n = solute.molar * MOLAR_PER_A3;
    s.water_share -= n * solute.volume;
    // Its exchangeable hydrogens take the solvent's share of deuterium.
    const double length_in_h2o = solute.unit.length - solute.unit.exchangeable_h * s.steps.length;
    solute_sld += n * length_in_h2o;
    solute_slope += n * solute.unit.exchangeable_h * s.steps.length * d2o_purity;
    solute_electrons += n * solute.unit.electrons;
  }
  s.sld_at_h2o = s.water_share * n_h2o * b_h2o + solute_sld;
  s.sld_per_d2o = s.water_share * (n_d2o * b_heavy - n_h2o * b_h2o) + solute_slope;
  // Ten electrons a water molecule, light or heavy.
  s.xray_at_h2o = ELECTRON_RADIUS * (s.water_share * 10.0 * n_h2o + solute_electrons);
  s.xray_per_d2o = ELECTRON_RADIUS * s.water_share * 10.0 * (n_d2o - n_h2o);
  return s;
}

double solvent_sld(const Solvent& solvent, double x) {
  if (solvent.console) {
    return static_cast<double>(compute_solvent_density(x));
  }
  return solvent.sld_at_h2o + solvent.sld_per_d2o * x;
}

double solvent_xray_sld(const Solvent& solvent, double x) {
  if (solvent.console) {
    return xray_solvent_density(x);
  }
  return solvent.xray_at_h2o + solvent.xray_per_d2o * x;
}

double labile_deuterium(const Solvent& solvent, double x) {
  return solvent.console ? x : solvent.d2o_purity * x;
}

bool parse_buffer_solute(const std::string& text, BufferSolute* solute, std::string* error) {
  const size_t equals = text.find('=');
  if (equals == std::string::npos || equals == 0) {
    *error = "'" + text + "' is not SOLUTE=CONC or FORMULA=CONC:VOLUME_A3:LABILE";
    return false;
  }
  *solute = BufferSolute{};
  solute->name = text.substr(0, equals);
  std::string rest = text.substr(equals + 1);
  const size_t colon = rest.find(':');
  double liquid_density = 0.0;
  if (colon == std::string::npos) {
    const SoluteRow* row = find_solute(solute->name);
    if (row == nullptr) {
      *error = "'" + solute->name + "' is no solute the planner knows (" + solute_names() +
               "); give others as FORMULA=CONC:VOLUME_A3:LABILE";
      return false;
    }
    solute->name = row->name;
    parse_formula(row->formula, row->labile, &solute->unit, error);
    solute->volume = row->molar_volume * 1e24 / AVOGADRO;
    liquid_density = row->density;
  } else {
    const std::string details = rest.substr(colon + 1);
    rest.erase(colon);
    const size_t second = details.find(':');
    const bool volume_ok = second != std::string::npos &&
                           parse_decimal(details.substr(0, second), &solute->volume) &&
                           solute->volume > 0.0;
    const std::string labile_text = second == std::string::npos ? "" : details.substr(second + 1);
    double labile = -1.0;
    if (!volume_ok || !parse_decimal(labile_text, &labile) || labile < 0.0 ||
        labile != std::floor(labile) || labile > 1e6) {
      *error = "'" + text + "' is not FORMULA=CONC:VOLUME_A3:LABILE, such as C8H18N2O4S=20mM:" +
               "250:2 (the volume in cubic angstrom a molecule takes in water)";
      return false;
    }
    if (!parse_formula(solute->name, labile, &solute->unit, error)) {
      *error = solute->name + ": " + *error;
      return false;
    }
  }
  solute->unit.volume = solute->volume;
  return read_concentration(rest, liquid_density, solute, error);
}
