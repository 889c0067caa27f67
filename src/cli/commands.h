// The subcommands of xraycalc-cli over the headless window. Each one builds the
// window from its built-in definition, puts the user's tables and texts into it,
// presses the buttons a person would press, and reads back what the window
// shows. Option values stay texts all the way into the fields, so a value the
// window would refuse is refused with the window's own error box.
#pragma once

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "form/session.h"
#include "tables/builtin_tables.h"
#include "window/controls.h"

namespace xray::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitCalcError = 1;  // the window would have shown an error box
inline constexpr int kExitBadInput = 2;   // bad options, unreadable file, bad session input
inline constexpr int kExitWriteFailed = 3;  // standard output could not be written
inline constexpr int kExitOutOfMemory = 4;  // memory ran out outside the window's handlers

// What to print and how to end.
struct Outcome {
  int status = kExitOk;
  std::string out;  // standard output
  std::string err;  // standard error, whole lines
};

// Input the command line cannot use: a file that cannot be read, an unknown
// table name. The message is one line; the program ends with kExitBadInput.
class BadInput : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The most a file or standard input may hold: far above any real table or
// session, and a bound on what endless input (/dev/zero) costs.
inline constexpr std::size_t kMaxInputBytes = std::size_t{256} << 20;

// The whole content of the file, or of standard input for "-". Throws BadInput
// naming the file and the system's reason, or the size limit when the input
// holds more than kMaxInputBytes.
std::string ReadInput(const std::string& path);

// The text boxes --table may replace: the seven reference tables.
inline constexpr const auto& kTableMemos = kReferenceTables;

// "NAME=FILE": the box NAME and the text of FILE, pasted as a whole (split into
// lines as a pasted text is). Throws BadInput for a malformed argument, a name
// that is not one of kTableMemos, or a file that cannot be read.
MemoPaste ReadTableOption(std::string_view argument);

// The header fields the spectrum takes from the command line, with their options.
struct FieldOption {
  Field field;
  std::string_view option;  // long option name, with the dashes
  std::string_view help;    // what the field holds, with its unit
};
inline constexpr std::array kSpectrumOptions = {
    FieldOption{Field::EditkV, "--kv", "tube voltage, kV"},
    FieldOption{Field::EditTAngl, "--angle", "target angle, as typed into the window's field"},
    FieldOption{Field::EditInhrnt, "--inherent", "inherent filtration, mm Al"},
    FieldOption{Field::EditAdd, "--added", "added filtration, mm Al"},
    FieldOption{Field::EditDnsW, "--w-density", "density of the tungsten target, g/cm^3"},
    FieldOption{Field::EditDnsAl, "--al-density", "density of the aluminium filters, g/cm^3"},
    FieldOption{Field::EditmR, "--mR", "exposure in air behind the filters, mR"},
};

// The texts of the spectrum's header fields, by kSpectrumOptions order; each
// starts as the window's start text.
using SpectrumTexts = std::array<std::string, kSpectrumOptions.size()>;
SpectrumTexts DefaultSpectrumTexts();

// session: the steps of the JSON file (standard input for "-") played on a
// window whose tables were replaced first; the whole state as JSON.
Outcome RunSession(const std::string& file, const std::vector<MemoPaste>& tables);

// spectrum: "Spectl" for the given fields; columns of energy, inherent-filtered
// percent and photons/mm^2 behind all filtration, then the total fluence, the
// mean energy and the two half-value layers.
Outcome RunSpectrum(const SpectrumTexts& fields, const std::vector<MemoPaste>& tables);

// dqe: "DQE(u)" with the gamma and the fluence; without a fluence, "Spectl" for
// the given fields computes it first. Columns of frequency, NEQ and DQE.
Outcome RunDqe(const SpectrumTexts& fields, const std::string& gamma, const std::optional<std::string>& fluence,
               const std::vector<MemoPaste>& tables);

// Prints the outcome, its standard output and then its standard error, and
// returns the status to exit with: the outcome's, or kExitWriteFailed when its
// standard output did not reach the file (see EndStandardOutput).
int WriteOutcome(const Outcome& o);

// Flushes standard output after text went there (help, version, an outcome)
// and returns status when it all arrived. A write that failed (a full disk, a
// closed descriptor) is said in one line on standard error, and the status is
// kExitWriteFailed. A reader that has gone (a closed pipe) ends the program as
// it ends any filter: quietly, by SIGPIPE, even when SIGPIPE was ignored.
int EndStandardOutput(int status);

// "xraycalc-cli: out of memory" on standard error; returns kExitOutOfMemory.
int OutOfMemoryExit();

}  // namespace xray::cli
