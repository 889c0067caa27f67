// xraycalc-cli: the calculator without its window, for scripts and batch runs.
//
//   xraycalc-cli session [FILE]    JSON steps in, the whole window state out
//   xraycalc-cli spectrum [...]    the spectrum, its fluence and beam quality
//   xraycalc-cli dqe [...]         NEQ(u) and DQE(u)
//   xraycalc-cli mtf IMAGE [...]   the MTF measured from an edge image
//   xraycalc-cli nnps IMAGE...     the Wiener spectrum measured from flat fields
//
// Exit status: 0 done, 1 the window would have shown an error box (printed on
// standard error exactly as the box shows it), 2 bad options or input (or more
// than 256 MiB of it), 3 standard output could not be written, 4 out of memory.
// A closed pipe ends the program quietly, by SIGPIPE, as it ends any filter.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/measure_commands.h"

namespace {

using namespace xray;
using namespace xray::cli;

constexpr const char* kProgram = "xraycalc-cli";
constexpr const char* kCalcFooter =
    "Exit status: 0 done; 1 a calculation error, printed on standard error exactly as the window's error box "
    "shows it; 2 bad options, or a file that cannot be read or holds more than 256 MiB; 3 standard output could "
    "not be written; 4 out of memory.";

// The one-line usage of each subcommand, shown after an error in its options.
std::string Usage(const CLI::App* sub) {
  const std::string name = sub ? sub->get_name() : "";
  if (std::string measure = MeasureCommands::Usage(sub); !measure.empty()) return measure;
  std::string spectrum_options;
  for (const FieldOption& f : kSpectrumOptions) spectrum_options += " [" + std::string(f.option) + " TEXT]";
  if (name == "session") return "usage: xraycalc-cli session [--table NAME=FILE]... [FILE|-]";
  if (name == "spectrum") return "usage: xraycalc-cli spectrum" + spectrum_options + " [--table NAME=FILE]...";
  if (name == "dqe") {
    return "usage: xraycalc-cli dqe [--gamma TEXT] [--fluence TEXT |" + spectrum_options +
           "] [--table NAME=FILE]... [--edge IMAGE] [--flat IMAGE...] [IMAGE OPTIONS]";
  }
  return "usage: xraycalc-cli {session|spectrum|dqe|mtf|nnps} [OPTIONS]   (xraycalc-cli SUBCOMMAND --help)";
}

void AddTableOption(CLI::App* sub, std::vector<std::string>& tables) {
  std::string names;
  for (Memo m : kTableMemos) names += (names.empty() ? "" : ", ") + std::string(Name(m));
  sub->add_option("--table", tables,
                  "replace the text box NAME (" + names +
                      ") with the text of FILE before the window is created; repeatable")
      ->type_name("NAME=FILE")
      ->allow_extra_args(false);
}

// The spectrum's header-field options; returns them so that --fluence can exclude them.
std::vector<CLI::Option*> AddSpectrumOptions(CLI::App* sub, SpectrumTexts& texts) {
  std::vector<CLI::Option*> options;
  for (std::size_t k = 0; k < kSpectrumOptions.size(); ++k) {
    const FieldOption& f = kSpectrumOptions[k];
    options.push_back(sub->add_option(std::string(f.option), texts[k], std::string(f.help) + " (" +
                                                                           std::string(Name(f.field)) + ")")
                          ->type_name("TEXT")
                          ->capture_default_str());
  }
  return options;
}

int Finish(const Outcome& o) { return WriteOutcome(o); }

int BadInputExit(const std::string& message) { return Finish(Outcome{kExitBadInput, {}, std::string(kProgram) + ": " + message + "\n"}); }

}  // namespace

int main(int argc, char** argv) try {
  CLI::App app{"The X-ray imaging calculator without its window: tube spectra, fluence, beam quality, NEQ and DQE.",
               kProgram};
  app.set_version_flag("--version", std::string(kProgram) + " " + XRAYCALC_VERSION);
  app.require_subcommand(1);
  app.footer(
      "Exit status: 0 done; 1 a calculation error (spectrum, dqe: the window's error box, on standard error); "
      "2 bad options, an unreadable file, more than 256 MiB of input or bad session input; 3 standard output "
      "could not be written; 4 out of memory. A closed pipe ends the program quietly (SIGPIPE).");

  std::vector<std::string> table_args;

  CLI::App* session = app.add_subcommand(
      "session", "Play a JSON array of steps (set a field or text box, press a button) on the window "
                 "and print its whole state as JSON.");
  std::string session_file = "-";
  session->add_option("FILE", session_file, "the steps; standard input when absent or -")->capture_default_str();
  AddTableOption(session, table_args);
  session->footer(
      "Exit status: 0 the steps ran (error boxes they raised are listed in \"errors\"); 2 the input is not a "
      "JSON array of known steps, a file cannot be read or holds more than 256 MiB, or the error boxes pass "
      "256 MiB of text (one line on standard error, nothing on standard output); 3 standard output could not be "
      "written; 4 out of memory.");

  CLI::App* spectrum = app.add_subcommand(
      "spectrum", "Press \"Spectl\": the tube spectrum behind inherent and added filtration, its fluence, mean "
                  "energy and half-value layers (mm Al, found on a 0.001 mm grid).");
  SpectrumTexts spectrum_texts = DefaultSpectrumTexts();
  AddSpectrumOptions(spectrum, spectrum_texts);
  AddTableOption(spectrum, table_args);
  spectrum->footer(kCalcFooter);

  CLI::App* dqe = app.add_subcommand(
      "dqe", "Press \"DQE(u)\": NEQ(u) and DQE(u) of the detector for a gamma and a fluence; without --fluence "
             "the fluence is that of the spectrum the spectrum options describe.");
  std::string gamma(DefaultFieldText(Field::EditG));
  std::optional<std::string> fluence;
  SpectrumTexts dqe_texts = DefaultSpectrumTexts();
  dqe->add_option("--gamma", gamma, "gamma of the detector (EditG)")->type_name("TEXT")->capture_default_str();
  const CLI::Option* fluence_option =
      dqe->add_option("--fluence", fluence, "incident fluence, photons/mm^2 (EditPhtn); default: from the spectrum")
          ->type_name("TEXT");
  const std::vector<CLI::Option*> dqe_spectrum_options = AddSpectrumOptions(dqe, dqe_texts);
  AddTableOption(dqe, table_args);
  dqe->footer(kCalcFooter);
  const MeasureCommands measure(app, dqe);  // mtf, nnps, and dqe's --edge and --flat

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return EndStandardOutput(app.exit(e));
  } catch (const CLI::CallForAllHelp& e) {
    return EndStandardOutput(app.exit(e));
  } catch (const CLI::CallForVersion& e) {
    return EndStandardOutput(app.exit(e));
  } catch (const CLI::ParseError& e) {
    const auto parsed = app.get_subcommands();
    const CLI::App* sub = parsed.empty() ? nullptr : parsed.front();
    return BadInputExit(std::string(e.what()) + "\n" + Usage(sub));
  }
  if (measure.parsed()) return Finish(measure.Run());
  // A given fluence leaves the spectrum unused: its options would be silently ignored.
  for (const CLI::Option* o : dqe_spectrum_options) {
    if (fluence_option->count() > 0 && o->count() > 0) {
      return BadInputExit("--fluence and " + o->get_name() + " exclude each other: the spectrum is not computed "
                          "when the fluence is given\n" + Usage(dqe));
    }
  }

  std::vector<MemoPaste> tables;
  try {
    for (const std::string& t : table_args) tables.push_back(ReadTableOption(t));
    measure.AddDqeTables(gamma, tables);
  } catch (const BadInput& e) {
    return BadInputExit(e.what());
  }

  if (session->parsed()) return Finish(RunSession(session_file, tables));
  if (spectrum->parsed()) return Finish(RunSpectrum(spectrum_texts, tables));
  return Finish(RunDqe(dqe_texts, gamma, fluence, tables));
} catch (const std::bad_alloc&) {
  return OutOfMemoryExit();
} catch (const std::length_error&) {  // a size beyond what a string or array can hold
  return OutOfMemoryExit();
}
