// The densities of light and heavy water at 0.101325 MPa, 1 to 95 C, for the solvent's
// scattering length density at the sample's temperature.
#ifndef QUORVANE_SCATTERING_WATER_H_
#define QUORVANE_SCATTERING_WATER_H_

constexpr double MIN_TEMPERATURE = 1.0;   // C; the formulations are checked from here
constexpr double MAX_TEMPERATURE = 95.0;  // C; to here

// H2O in g/cm^3: G. S. Kell, J. Chem. Eng. Data 20, 97-105 (1975), which agrees with
// IAPWS-95 within 1.3e-5 g/cm^3 from 1 to 95 C.
double h2o_density(double celsius);

// D2O in g/cm^3: a rational function of Kell's form fitted to the IAPWS formulation
// 2017 for heavy water (IAPWS R16-17(2018); Herrig et al., J. Phys. Chem. Ref. Data 47,
// 043102 (2018)) from 1 to 95 C, which it follows within 1e-7 g/cm^3.
double d2o_density(double celsius);

#endif  // QUORVANE_SCATTERING_WATER_H_
