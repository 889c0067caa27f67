#include "cli/commands.h"

#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "form/headless_window.h"
#include "form/runs.h"
#include "numeric/number_text.h"

namespace xray::cli {

namespace {

// Column headers and summary labels of the printed tables.
constexpr std::string_view kSpectrumHeader = "keV\tInherent(%)\tInherent+Added(photons/mm^2)";
constexpr std::string_view kFluenceLabel = "Fluence(photons/mm^2)";
constexpr std::string_view kMeanEnergyLabel = "MeanEnergy(keV)";
constexpr std::string_view kHvl1Label = "HVL1(mm Al)";
constexpr std::string_view kHvl2Label = "HVL2(mm Al)";
constexpr std::string_view kDqeHeader = "cycles/mm\tNEQ(mm^-2)\tDQE(%)";

std::string SystemReason(int error) { return std::strerror(error); }

[[noreturn]] void TooLarge(const std::string& shown_name) {
  throw BadInput(shown_name + " holds more than 256 MiB, the most a table or a session may hold");
}

std::string ReadStream(std::FILE* f, const std::string& shown_name) {
  std::string text;
  struct stat st {};
  if (fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
    if (static_cast<std::uintmax_t>(st.st_size) > kMaxInputBytes) TooLarge(shown_name);
    text.reserve(static_cast<std::size_t>(st.st_size));
  }
  char buffer[1 << 16];
  for (;;) {
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, f);
    if (n > kMaxInputBytes - text.size()) TooLarge(shown_name);
    text.append(buffer, n);
    if (n < sizeof buffer) break;
  }
  if (std::ferror(f)) throw BadInput("cannot read " + shown_name + ": " + SystemReason(errno));
  return text;
}

void AddSpectrumFields(std::vector<FieldEntry>& fields, const SpectrumTexts& texts) {
  for (std::size_t k = 0; k < kSpectrumOptions.size(); ++k) fields.push_back({kSpectrumOptions[k].field, texts[k]});
}

// Every error box the window has shown, one per line, exactly as shown.
Outcome ErrorBoxes(const std::vector<std::string>& boxes) {
  Outcome o{kExitCalcError, {}, {}};
  for (const std::string& box : boxes) o.err += box + "\n";
  return o;
}

void AppendRow(std::string& out, std::initializer_list<std::string_view> cells) {
  bool first = true;
  for (std::string_view c : cells) {
    if (!first) out += '\t';
    first = false;
    out += c;
  }
  out += '\n';
}

}  // namespace

std::string ReadInput(const std::string& path) {
  if (path == "-") return ReadStream(stdin, "standard input");
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!f) throw BadInput("cannot read '" + path + "': " + SystemReason(errno));
  return ReadStream(f.get(), "'" + path + "'");
}

MemoPaste ReadTableOption(std::string_view argument) {
  const std::size_t eq = argument.find('=');
  if (eq == std::string_view::npos) {
    throw BadInput("--table " + std::string(argument) + ": expected NAME=FILE");
  }
  const std::string name(argument.substr(0, eq));
  const std::optional<Memo> memo = MemoNamed(name);
  bool is_table = false;
  for (Memo m : kTableMemos) is_table = is_table || memo == m;
  if (!is_table) {
    std::string names;
    for (Memo m : kTableMemos) names += (names.empty() ? "" : ", ") + std::string(Name(m));
    throw BadInput("--table " + std::string(argument) + ": '" + name + "' is not a table (one of " + names + ")");
  }
  const std::string file(argument.substr(eq + 1));
  if (file.empty()) throw BadInput("--table " + std::string(argument) + ": no file after '='");
  try {
    return MemoPaste{*memo, ReadInput(file)};
  } catch (const BadInput& e) {
    throw BadInput("--table " + std::string(argument) + ": " + e.what());
  }
}

SpectrumTexts DefaultSpectrumTexts() {
  SpectrumTexts texts;
  for (std::size_t k = 0; k < kSpectrumOptions.size(); ++k) {
    texts[k] = std::string(DefaultFieldText(kSpectrumOptions[k].field));
  }
  return texts;
}

Outcome RunSession(const std::string& file, const std::vector<MemoPaste>& tables) {
  try {
    return Outcome{kExitOk, RunSessionJson(ReadInput(file), tables), {}};
  } catch (const BadInput& e) {
    return Outcome{kExitBadInput, {}, std::string("xraycalc-cli session: ") + e.what() + "\n"};
  } catch (const SessionInputError& e) {
    // The message is one line; a parser's message could quote a line break.
    std::string message = e.what();
    for (char& c : message) {
      if (c == '\n' || c == '\r') c = ' ';
    }
    return Outcome{kExitBadInput, {}, "xraycalc-cli session: " + message + "\n"};
  }
}

Outcome RunSpectrum(const SpectrumTexts& fields, const std::vector<MemoPaste>& tables) {
  std::vector<FieldEntry> entries;
  AddSpectrumFields(entries, fields);
  const SpectrumReport r = RunSpectrumReport(tables, entries);
  if (!r.errors.empty()) return ErrorBoxes(r.errors);

  Outcome o;
  AppendRow(o.out, {kSpectrumHeader});
  for (std::size_t i = 0; i < r.energy_keV.size(); ++i) {
    AppendRow(o.out, {FloatToText(r.energy_keV[i]), FloatToText(r.inherent_percent[i]),
                      FloatToText(r.photons_per_mm2[i])});
  }
  o.out += '\n';
  AppendRow(o.out, {kFluenceLabel, FloatToText(r.summary.fluence_per_mm2)});
  AppendRow(o.out, {kMeanEnergyLabel, FloatToText(r.summary.quality.mean_energy_keV)});
  AppendRow(o.out, {kHvl1Label, FloatToText(r.summary.quality.hvl1_mm)});
  AppendRow(o.out, {kHvl2Label, FloatToText(r.summary.quality.hvl2_mm)});
  return o;
}

namespace {

// Ends the program by the default action of SIGPIPE, whatever the action or
// mask it inherited: the shell then shows status 141 and no message.
[[noreturn]] void EndAtClosedPipe() {
  std::signal(SIGPIPE, SIG_DFL);
  sigset_t pipe;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  sigprocmask(SIG_UNBLOCK, &pipe, nullptr);
  std::raise(SIGPIPE);
  std::_Exit(128 + SIGPIPE);
}

}  // namespace

int WriteOutcome(const Outcome& o) {
  errno = 0;
  std::fwrite(o.out.data(), 1, o.out.size(), stdout);
  const int status = EndStandardOutput(o.status);
  if (status == kExitWriteFailed) return status;
  std::fwrite(o.err.data(), 1, o.err.size(), stderr);
  return status;
}

int EndStandardOutput(int status) {
  // errno still holds the reason of a write that failed before.
  int error = std::ferror(stdout) ? errno : 0;
  if (std::fflush(stdout) != 0 && error == 0) error = errno;
  if (error == 0 && std::ferror(stdout)) error = EIO;
  if (error == 0) return status;
  if (error == EPIPE) EndAtClosedPipe();
  std::fprintf(stderr, "xraycalc-cli: cannot write standard output: %s\n", std::strerror(error));
  return kExitWriteFailed;
}

int OutOfMemoryExit() {
  std::fputs("xraycalc-cli: out of memory\n", stderr);
  return kExitOutOfMemory;
}

Outcome RunDqe(const SpectrumTexts& fields, const std::string& gamma, const std::optional<std::string>& fluence,
               const std::vector<MemoPaste>& tables) {
  std::vector<FieldEntry> entries = {{Field::EditG, gamma}};
  if (fluence) {
    entries.push_back({Field::EditPhtn, *fluence});
  } else {
    AddSpectrumFields(entries, fields);  // "Spectl" runs first; its "Added" writes the fluence into EditPhtn
  }
  const DqeReport r = RunDqeReport(tables, entries, !fluence);
  if (!r.errors.empty()) return ErrorBoxes(r.errors);

  Outcome o;
  AppendRow(o.out, {kDqeHeader});
  for (std::size_t k = 0; k < r.frequency_per_mm.size(); ++k) {
    AppendRow(o.out,
              {FloatToText(r.frequency_per_mm[k]), FloatToText(r.neq_per_mm2[k]), FloatToText(r.dqe_percent[k])});
  }
  return o;
}

}  // namespace xray::cli
