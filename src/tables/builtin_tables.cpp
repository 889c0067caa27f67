// Provenance of the built-in tables (all columns as x, tab, y):
//   MemokeVWu  photon energy (keV) vs mass attenuation coefficient of tungsten
//              (cm^2/g); rows at 69.9 and 70 keV bracket the K absorption edge.
//   MemokeVAlu photon energy (keV) vs mass attenuation coefficient of aluminium (cm^2/g).
//   MemokeVAir photon energy (keV) vs mass energy-absorption coefficient of air
//              (cm^2/g); each value is written with seven decimals and a trailing space.
//   MemokeVC   electron energy (keV) vs Thomson-Whiddington constant of the
//              range model, from the quartic fit C(k) given below.
//   MemoCX     tube voltage (kV) vs percentage of K characteristic photons.
//   MemoMTF    spatial frequency (cycles/mm) vs MTF of a CsI detector.
//   MemoWS     spatial frequency (cycles/mm) vs its Wiener (noise power) spectrum.
// The captions of the attenuation tables read "(g/cm^2)"; the values are cm^2/g.
#include "tables/builtin_tables.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace xray {

namespace {

struct Pair {
  std::string_view x;
  std::string_view y;
};

std::vector<std::string> Lines(std::string_view caption, std::initializer_list<Pair> rows) {
  std::vector<std::string> lines{std::string(caption)};
  for (const Pair& r : rows) lines.push_back(std::string(r.x) + '\t' + std::string(r.y));
  return lines;
}

std::vector<std::string> Tungsten() {
  return Lines("keV\t(g/cm^2)",
               {{"15", "138.9"}, {"20", "65.73"}, {"30", "22.73"}, {"40", "10.67"},
                {"50", "5.949"}, {"60", "3.713"}, {"69.9", "2.371164264"}, {"70", "10.81393538"},
                {"80", "7.731255169"}, {"90", "5.750474982"}, {"100", "4.412809146"},
                {"110", "3.472924378"}, {"120", "2.79082544"}, {"130", "2.282314557"},
                {"140", "1.894503408"}, {"150", "1.592934105"}});
}

std::vector<std::string> Aluminium() {
  return Lines("keV\t(g/cm^2)",
               {{"15", "7.955"}, {"20", "3.441"}, {"30", "1.128"}, {"40", "0.5685"},
                {"50", "0.3681"}, {"60", "0.2778"}, {"80", "0.2018"}, {"100", "0.1704"},
                {"150", "0.1378"}, {"200", "0.1223"}});
}

std::vector<std::string> Air() {
  // The trailing space after each value is part of the table as it was typed.
  return Lines("keV\t(g/cm^2)",
               {{"10", "4.7420000 "}, {"15", "1.3340000 "}, {"20", "0.5389000 "},
                {"30", "0.1537000 "}, {"40", "0.0683300 "}, {"50", "0.0409800 "},
                {"60", "0.0304100 "}, {"80", "0.0240700 "}, {"100", "0.0232500 "},
                {"150", "0.0249600 "}, {"200", "0.0267200 "}});
}

// Decimal text of a value held in integer units of 0.0001: at most four
// decimals, trailing zeros and a bare decimal point dropped.
std::string TenThousandthsText(std::int64_t v) {
  std::string text = v < 0 ? "-" : "";
  const std::int64_t a = v < 0 ? -v : v;
  text += std::to_string(a / 10000);
  std::string frac = std::to_string(a % 10000);
  frac.insert(0, 4 - frac.size(), '0');
  while (!frac.empty() && frac.back() == '0') frac.pop_back();
  if (!frac.empty()) text += '.' + frac;
  return text;
}

// Thomson-Whiddington constant C(k) = 143705 + 12577 k - 123.72 k^2 + 0.6555 k^3
// - 0.0012 k^4 for every whole keV from 15 to 160, evaluated exactly in units of
// 0.0001 so that each row is the exact decimal value of the fit.
std::vector<std::string> ThomsonWhiddington() {
  std::vector<std::string> lines{"kV\tTW-C"};
  for (std::int64_t k = 15; k <= 160; ++k) {
    const std::int64_t c = 1437050000 + 125770000 * k - 1237200 * k * k + 6555 * k * k * k - 12 * k * k * k * k;
    lines.push_back(std::to_string(k) + '\t' + TenThousandthsText(c));
  }
  return lines;
}

std::vector<std::string> KPhotons() {
  static constexpr std::array<std::string_view, 60> kPercent = {
      "0.126383234", "0.26034848",  "0.40008226",  "0.54521136",  "0.695363992", "0.850170337",
      "1.009263102", "1.172278065", "1.338854628", "1.508636363", "1.681271569", "1.856413813",
      "2.033722488", "2.21286336",  "2.393509114", "2.575339912", "2.758043937", "2.941317944",
      "3.124867811", "3.30840909",  "3.491667555", "3.674379752", "3.856293551", "4.037168693",
      "4.216777343", "4.394904639", "4.571349242", "4.745923883", "4.918455919", "5.088787878",
      "5.256778012", "5.422300843", "5.585247719", "5.745527359", "5.903066406", "6.057809973",
      "6.209722198", "6.358786792", "6.505007588", "6.64840909",  "6.789037029", "6.926958904",
      "7.062264539", "7.195066632", "7.325501302", "7.453728639", "7.579933261", "7.704324853",
      "7.827138726", "7.948636363", "8.06910597",  "8.188863025", "8.308250829", "8.427641056",
      "8.547434303", "8.66806064",  "8.789980157", "8.91368352",  "9.039692516", "9.168560606"};
  std::vector<std::string> lines{"keV\t%c", "70\t0.0"};
  for (std::size_t k = 0; k < kPercent.size(); ++k) {
    lines.push_back(std::to_string(71 + k) + '\t' + std::string(kPercent[k]));
  }
  lines.push_back("150\t10.892");
  return lines;
}

std::vector<std::string> Mtf() {
  static constexpr std::array<std::string_view, 74> kMtf = {
      "1.001291703", "0.996697254", "0.991874481", "0.986778361", "0.981368893",
      "0.975610885", "0.969473742", "0.962931254", "0.955961394", "0.94854612",
      "0.940671172", "0.932325885", "0.923502992", "0.914198445", "0.904411231",
      "0.894143189", "0.883398842", "0.87218522",  "0.860511698", "0.848389827",
      "0.835833177", "0.822857183", "0.809478988", "0.795717294", "0.781592223",
      "0.76712517",  "0.752338666", "0.737256245", "0.721902317", "0.706302034",
      "0.690481174", "0.674466019", "0.658283239", "0.641959782", "0.625522767",
      "0.608999375", "0.592416753", "0.575801917", "0.559181656", "0.542582444",
      "0.526030356", "0.509550984", "0.493169359", "0.476909878", "0.46079623",
      "0.444851333", "0.429097267", "0.413555215", "0.398245412", "0.383187083",
      "0.368398404", "0.353896451", "0.339697163", "0.325815301", "0.312264416",
      "0.299056819", "0.286203556", "0.273714383", "0.261597748", "0.249860777",
      "0.238509261", "0.22754765",  "0.216979047", "0.206805208", "0.197026549",
      "0.187642148", "0.178649759", "0.170045825", "0.161825497", "0.153982659",
      "0.146509946", "0.139398781", "0.132639406", "0.126220917"};
  std::vector<std::string> lines{"c/mm\tCSI-X"};
  for (std::size_t k = 0; k < kMtf.size(); ++k) {
    // x = 0.05 k written in its shortest decimal form: "0", "0.05", "0.1", ..., "3.65".
    const std::size_t hundredths = 5 * k;
    std::string x = std::to_string(hundredths / 100);
    std::string frac = std::to_string(hundredths % 100);
    frac.insert(0, 2 - frac.size(), '0');
    while (!frac.empty() && frac.back() == '0') frac.pop_back();
    if (!frac.empty()) x += '.' + frac;
    lines.push_back(x + '\t' + std::string(kMtf[k]));
  }
  return lines;
}

std::vector<std::string> WienerSpectrum() {
  // x = k / 9.6 cycles/mm for k = 1..32, rounded to nine decimals.
  return Lines("c/mm\tCSI-X\xE3\x83\xBBWS",  // U+30FB katakana middle dot
               {{"0.104166667", "1.832733824"}, {"0.208333333", "1.914447304"},
                {"0.3125", "1.880003373"},      {"0.416666667", "1.908013818"},
                {"0.520833333", "1.909342826"}, {"0.625", "1.894136583"},
                {"0.729166667", "1.852780253"}, {"0.833333333", "1.822658502"},
                {"0.9375", "1.779115799"},      {"1.041666667", "1.715670984"},
                {"1.145833333", "1.652139686"}, {"1.25", "1.563253313"},
                {"1.354166667", "1.50793732"},  {"1.458333333", "1.437741414"},
                {"1.5625", "1.356136031"},      {"1.666666667", "1.258795717"},
                {"1.770833333", "1.170757959"}, {"1.875", "1.094499095"},
                {"1.979166667", "1.011851467"}, {"2.083333333", "0.915022833"},
                {"2.1875", "0.841180475"},      {"2.291666667", "0.767655241"},
                {"2.395833333", "0.700265186"}, {"2.5", "0.652839339"},
                {"2.604166667", "0.598542585"}, {"2.708333333", "0.541851882"},
                {"2.8125", "0.495382585"},      {"2.916666667", "0.444488916"},
                {"3.020833333", "0.406760184"}, {"3.125", "0.383158845"},
                {"3.229166667", "0.359052704"}, {"3.333333333", "0.350575033"}});
}

}  // namespace

const std::vector<std::string>& BuiltinLines(Memo m) {
  static const std::array<std::vector<std::string>, kMemoCount> kTables = {
      Tungsten(), Aluminium(), Air(), ThomsonWhiddington(), KPhotons(), Mtf(), WienerSpectrum(), {}, {}};
  return kTables[Index(m)];
}

}  // namespace xray
