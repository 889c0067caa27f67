#include "spectrum/synthesis.h"

#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "numeric/calc_error.h"
#include "numeric/fast_exp.h"
#include "numeric/fp_errors.h"
#include "numeric/messages.h"
#include "numeric/number_text.h"
#include "numeric/wide_real.h"
#include "tables/lookup.h"

namespace xray {

namespace {


// Model constants (nearest extended values of the decimals).
constexpr double kFirstPhotonEnergy_keV = 15;
constexpr double kGridStep_keV = 0.5;                    // photon and electron energy steps
constexpr WideReal kTungstenZSquared = 74.0L * 74;              // atomic number of tungsten, squared
constexpr WideReal kElectronRestEnergy_keV = 511;
constexpr double kThomsonWhiddingtonCap_keV = 129;       // T above this reads the 129 keV row
constexpr WideReal kAngleDivisor = 180;                         // the typed angle / 180 goes to sin() as radians
constexpr double kKLineThreshold_kV = 70;                // K lines only above this tube voltage
constexpr WideReal kFirstInherentPass_mm = 0.7;                 // first inherent-filtration pass, mm Al
constexpr WideReal kMmPerCm = 10;
constexpr WideReal kReportThickness_cm = 0.25;                  // transmission shown in the report, cm Al

// Tungsten K lines: bin thresholds (keV) and their shares of the line amount
// (Kalpha2, Kalpha1, Kbeta1, Kbeta2); the shares add up to kKLineShareSum.
struct KLine {
  double threshold_keV;
  WideReal share;
};
constexpr std::array<KLine, 4> kKLines = {{{58, 0.4L}, {59, 0.6L}, {67, 0.338L}, {69, 0.086L}}};
constexpr WideReal kKLineShareSum = 1.424L;

// Cross-section polynomial in u = E/T, summed left to right.
double CrossSectionPolynomial(double u) {
  return 0.503L - 0.94597L * u + 0.1553L * u * u + 1.1632L * u * u * u - 0.6818L * u * u * u * u;
}

// Empirical stopping term D(T) = 1036.1 exp(-0.04695 T) + 202.41, T in keV.
WideReal StoppingTerm(double T) { return 1036.1L * std::exp(-0.04695L * T) + 202.41L; }

// The parts of an electron step that depend on the electron energy T alone
// (with the run's V, tungsten density and angle), computed in the order the
// step needs them.
struct ElectronTerms {
  double C;          // Thomson-Whiddington constant
  double d;          // depth term ((V^2 - T^2) / (rhoW 1000 C)) 100
  WideReal z_squared_per_T; // 74^2 / T
  WideReal relativistic;    // T/511 + 1
  WideReal stopping;        // D(T)
};

// One row of the electron-step listing: T, muW, A and the running sum N.
using ListingRow = std::array<double, 4>;

void AppendListing(std::string& out, const std::vector<ListingRow>& rows) {
  for (const ListingRow& r : rows) {
    for (std::size_t k = 0; k < r.size(); ++k) {
      AppendFloatText(out, r[k]);
      out += k + 1 < r.size() ? '\t' : '\r';
    }
  }
}

class Synthesis {
 public:
  explicit Synthesis(const CalcContext& calc) : calc_(calc), w_(calc.window), s_(calc.store) {}

  void Run() {
    fp::Clear();
    w_.ClearSeries(Series::Series1);
    w_.ClearSeries(Series::Series2);
    w_.ClearSeries(Series::Series3);
    w_.ClearSeries(Series::FastLineSeries6);
    V_ = TextToFloat(w_.FieldText(Field::EditkV));
    TextToFloat(w_.FieldText(Field::EditInhrnt));  // read again per bin when filtering
    rho_w_ = TextToFloat(w_.FieldText(Field::EditDnsW));
    rho_al_ = TextToFloat(w_.FieldText(Field::EditDnsAl));
    if (V_ > kHighestRunnableVoltage_kV) throw CalcError(msg::kStoreFull);

    try {
      Bremsstrahlung();
    } catch (...) {
      PublishListing();
      throw;
    }
    PublishListing();
    CharacteristicLines();
    ToPhotonNumbers();
    std::string report = Filtration();
    PercentPlot();
    w_.PressButtonAdded();
    w_.SetClipboardText(report);
  }

 private:
  // Stage 1: for each photon energy E the electron energies T = E, E + 0.5, ...
  // up to V each add a thick-target bremsstrahlung contribution, attenuated on
  // the photon's way out through the tungsten above the Thomson-Whiddington depth.
  void Bremsstrahlung() {
    int i = 0;
    for (double E = kFirstPhotonEnergy_keV; E <= V_; E += kGridStep_keV, ++i) {
      const double mu_w = LookupLogLog(calc_.tables, Memo::MemokeVWu, E);
      double N = 0;
      if (calc_.fast) {
        // The flags are read once for the whole bin. Should anything have gone
        // wrong, the bin is run again step by step, checking after each, so
        // that the error is the one the first faulty step raises.
        try {
          N = ElectronSteps(E, mu_w, false);
          fp::Check(N);
        } catch (const CalcError&) {
          fp::Clear();
          N = ElectronSteps(E, mu_w, true);
        }
        // The listing of this energy replaces the clipboard's content; it is
        // formatted only if it is still there when the handler ends.
        committed_.swap(listing_);
        has_committed_ = true;
      } else {
        N = ElectronSteps(E, mu_w, true);
        std::string text;
        AppendListing(text, listing_);
        w_.SetClipboardText(text);
      }
      if (i >= kStoreBins) throw CalcError(msg::kStoreFull);
      s_.Photons[i] = N;
      s_.Energy[i] = E;
    }
    s_.Count = i;
  }

  // The sum N over the electron energies T = E, E + 0.5, ..., V of one photon
  // energy E, with its listing. Checked: the flags are read after every step.
  double ElectronSteps(double E, double mu_w, bool checked) {
    listing_.clear();
    double N = 0;
    for (double T = E; T <= V_; T += kGridStep_keV) {
      const double u = static_cast<WideReal>(E) / T;
      const double P = CrossSectionPolynomial(u);
      const ElectronTerms& t = Terms(T);
      // Linear attenuation mu_w rho_w over the path d / S to the surface.
      const double A = ExpRoundedToDouble(-(static_cast<WideReal>(mu_w) * rho_w_) * t.d / angle_sine_);
      N = N + ((t.z_squared_per_T * P) * t.relativistic) / t.stopping * A;
      if (checked) fp::Check(A, N);
      listing_.push_back({T, mu_w, A, N});
    }
    return N;
  }

  // Terms of the electron step at T. The plain reading computes them at every
  // step (a fresh table lookup, the angle field read again); with the speed-ups
  // each T on the grid is computed once per run, by the same expressions in the
  // same order, the first time a step reaches it.
  const ElectronTerms& Terms(double T) {
    if (!calc_.fast) {
      plain_terms_ = ComputeTerms(T);
      return plain_terms_;
    }
    const auto k = static_cast<std::size_t>((T - kFirstPhotonEnergy_keV) / kGridStep_keV);
    if (k >= terms_.size()) terms_.resize(k + 1);
    if (!terms_[k]) terms_[k] = ComputeTerms(T);
    return *terms_[k];
  }

  ElectronTerms ComputeTerms(double T) {
    ElectronTerms t{};
    t.C = LookupLinear(calc_.tables, Memo::MemokeVC, T > kThomsonWhiddingtonCap_keV ? kThomsonWhiddingtonCap_keV : T);
    if (!calc_.fast || !angle_read_) {
      // The angle as typed, divided by 180 and taken as radians.
      const double theta = TextToFloat(w_.FieldText(Field::EditTAngl));
      angle_sine_ = std::sin(static_cast<WideReal>(theta) / kAngleDivisor);
      angle_read_ = true;
    }
    t.d = ((static_cast<WideReal>(V_) * V_ - static_cast<WideReal>(T) * T) / (static_cast<WideReal>(rho_w_) * 1000 * t.C)) * 100;
    fp::Check(t.d);  // a faulty depth term is never kept
    t.z_squared_per_T = kTungstenZSquared / T;
    t.relativistic = T / kElectronRestEnergy_keV + 1;
    t.stopping = StoppingTerm(T);
    return t;
  }

  // With the speed-ups only the last complete listing is formatted, once, when
  // it is the one left on the clipboard.
  void PublishListing() {
    if (!has_committed_) return;
    has_committed_ = false;
    std::string text;
    AppendListing(text, committed_);
    w_.SetClipboardText(text);
  }

  // Stage 2, step 1: above 70 kV the K lines add K% (1 - K%/100) of the summed
  // spectrum, shared among four bins.
  void CharacteristicLines() {
    if (!(V_ > kKLineThreshold_kV)) return;
    const double k_percent = LookupLinear(calc_.tables, Memo::MemoCX, V_);
    double sigma = 0;
    for (int j = 0; j < s_.Count; ++j) sigma = sigma + s_.Photons[j];
    const double K = ((((1 - static_cast<WideReal>(k_percent) / 100) * sigma) * k_percent) / 100) / kKLineShareSum;
    fp::Check(sigma, K);
    for (const KLine& line : kKLines) {
      for (int j = 0; j < s_.Count; ++j) {
        if (s_.Energy[j] >= line.threshold_keV) {
          const double p = s_.Photons[j] + line.share * K;
          fp::Check(p);
          s_.Photons[j] = p;
          break;
        }
      }
    }
  }

  // Step 2: energy-weighted sums to relative photon numbers.
  void ToPhotonNumbers() {
    for (int j = 0; j < s_.Count; ++j) {
      const double p = static_cast<WideReal>(s_.Photons[j]) / s_.Energy[j];
      fp::Check(p);
      s_.Photons[j] = p;
    }
  }

  // Step 3: inherent filtration (0.7 mm, then the rest), the added filtration
  // and the spectrum report. Returns the report.
  std::string Filtration() {
    for (int j = 0; j < s_.Count; ++j) {
      const double mu_l = AluminiumAttenuation(s_.Energy[j]);
      const double p = std::exp(-static_cast<WideReal>(mu_l) * kFirstInherentPass_mm / kMmPerCm) * s_.Photons[j];
      fp::Check(p);
      s_.Photons[j] = p;
    }
    std::string report;
    for (int j = 0; j < s_.Count; ++j) {
      const double E = s_.Energy[j];
      const double mu_l = AluminiumAttenuation(E);
      const double inherent = TextToFloat(w_.FieldText(Field::EditInhrnt));
      const double p = std::exp(((static_cast<WideReal>(inherent) - kFirstInherentPass_mm) / kMmPerCm) * -static_cast<WideReal>(mu_l)) *
                       s_.Photons[j];
      fp::Check(p);
      s_.Photons[j] = p;
      const double added = TextToFloat(w_.FieldText(Field::EditAdd));
      const double a = std::exp((static_cast<WideReal>(added) / kMmPerCm) * -static_cast<WideReal>(mu_l)) * s_.Photons[j];
      const WideReal transmission = std::exp(-static_cast<WideReal>(mu_l) * kReportThickness_cm);
      fp::Check(a, transmission);
      s_.AddedPhotons[j] = a;
      s_.AddedEnergy[j] = E;
      AppendFloatText(report, E);
      report += '\t';
      AppendFloatText(report, transmission);
      report += '\t';
      AppendFloatText(report, s_.Photons[j]);
      report += '\r';
    }
    return report;
  }

  // Linear attenuation coefficient of aluminium at E (keV), per cm.
  double AluminiumAttenuation(double E) {
    const double mu_al = LookupLogLog(calc_.tables, Memo::MemokeVAlu, E);
    const double mu_l = static_cast<WideReal>(mu_al) * rho_al_;
    fp::Check(mu_l);
    return mu_l;
  }

  // Step 4: percent of the largest bin, plotted on Series1.
  void PercentPlot() {
    double M = 0;
    for (int j = 0; j < s_.Count; ++j) {
      if (s_.Photons[j] > M) M = s_.Photons[j];
    }
    for (int j = 0; j < s_.Count; ++j) {
      const double p = (static_cast<WideReal>(s_.Photons[j]) / M) * 100;
      fp::Check(p);
      s_.Photons[j] = p;
      w_.AddPoint(Series::Series1, s_.Energy[j], s_.Photons[j]);
    }
  }

  const CalcContext& calc_;
  WindowServices& w_;
  SpectrumStore& s_;
  double V_ = 0;
  double rho_w_ = 0;
  double rho_al_ = 0;
  bool angle_read_ = false;
  double angle_sine_ = 0;
  ElectronTerms plain_terms_{};
  std::vector<std::optional<ElectronTerms>> terms_;
  std::vector<ListingRow> listing_;
  std::vector<ListingRow> committed_;
  bool has_committed_ = false;
};

}  // namespace

void ButtonSpectlClick(const CalcContext& calc) { Synthesis(calc).Run(); }

}  // namespace xray
