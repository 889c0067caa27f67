#include "exposure/calibration.h"

#include <algorithm>
#include <cmath>

#include "numeric/fp_errors.h"
#include "numeric/number_text.h"
#include "numeric/wide_real.h"
#include "tables/lookup.h"

namespace xray {

namespace {


// Density of air, g/cm^3: 1.293e3 / 100^3, held as a double.
double AirDensity() { return (1.293L * 1e3L) / 1e6L; }

// Energy absorbed per cm^3 of air for an exposure of X mR, in joules:
// X (mR) * 1e-3 (R/mR) * 33.97 (eV per ion pair) * 1.602176569e-19 (J/eV)
// * 2.08e9 (ion pairs per cm^3 per R), multiplied left to right.
double AbsorbedEnergy_J(double X) {
  return X * 1e-3L * 33.97L * 1.602176569L * 1e-19L * 2.08L * 1e9L;
}

// Energy of one photon of E keV, in joules (kept in extended precision).
WideReal PhotonEnergy_J(double E) { return 1e-16L * (1.602176565L * E); }

// Fraction of the photons absorbed in 1 cm of air at mass energy-absorption
// coefficient mu (cm^2/g) and density rho (g/cm^3).
WideReal AbsorbedFraction(double mu, double rho) { return 1 - std::exp(-static_cast<WideReal>(mu) * rho); }

}  // namespace

void ButtonAddedClick(const CalcContext& calc) {
  WindowServices& w = calc.window;
  SpectrumStore& s = calc.store;
  fp::Clear();
  const int count = std::min<int>(s.Count, kStoreBins);

  w.ClearSeries(Series::Series2);
  double S = 0;
  const double rho = AirDensity();

  // First pass: each bin's share of the energy absorbed in the air layer.
  for (int i = 0; i < count; ++i) {
    const double E = s.AddedEnergy[i];
    const double mu = LookupLogLog(calc.tables, Memo::MemokeVAir, E);
    const WideReal A = AbsorbedFraction(mu, rho);
    const double weight = A * (static_cast<WideReal>(s.AddedPhotons[i]) * E);
    fp::Check(weight);
    s.AddedPhotons[i] = weight;
    S = S + s.AddedPhotons[i];
    fp::Check(S);
  }

  const double X = TextToFloat(w.FieldText(Field::EditmR));
  const double T = AbsorbedEnergy_J(X);
  fp::Check(T);

  double total = 0;
  w.ClearSeries(Series::Series3);
  // Second pass: photons per mm^2 = (share of the absorbed energy) * T, over the
  // photon energy (photons absorbed per cm^3), over the absorbed fraction
  // (photons crossing per cm^2), over 100 (per mm^2).
  for (int i = 0; i < count; ++i) {
    const double E = s.AddedEnergy[i];
    const double mu = LookupLogLog(calc.tables, Memo::MemokeVAir, E);
    const double A = AbsorbedFraction(mu, rho);
    const WideReal D = PhotonEnergy_J(E);
    const double N = ((static_cast<WideReal>(s.AddedPhotons[i]) / S) * T) / D / A / 100;
    fp::Check(A, N);
    s.AddedPhotons[i] = N;
    w.AddPoint(Series::FastLineSeries6, s.AddedEnergy[i], s.AddedPhotons[i]);
    total = total + s.AddedPhotons[i];
    fp::Check(total);
  }
  w.SetFieldText(Field::EditPhtn, FloatToText(total));
}

}  // namespace xray
