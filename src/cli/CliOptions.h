#pragma once
// skimplane-cli's command line: the options, their checks and the settings file they may name. Kept apart
// from the run itself so that it can be tested and fuzzed without writing any file.

#include <optional>
#include <ostream>
#include <string>

#include "preview/ProgramMoves.h"
#include "toolpath/FacingJob.h"

// "-o -": the program goes to standard output; its header's path line then shows "-".
inline constexpr const char* kStandardOutputName = "-";

struct TCliRun {
  TJobEntries Entries;      // the window's initial values, a settings file's entries, then the options
  std::string Output;       // empty for none, kStandardOutputName for standard output
  std::string PreviewFile;  // the SVG drawing, empty for none
  bool Stats = false;
  bool Json = false;  // the figures as one JSON object
  double RapidRate = kDefaultRapidRate;
  std::string Time;  // "yyyy-mm-dd hh:nn" for the header, empty for now
};

inline constexpr int kUsageError = 2;
inline constexpr int kGenerationError = 1;

// Parses the arguments (argv[0] is the program). Returns the run, or nothing when the command ends here:
// `exitCode` is then 0 (help, version, printed to `out`) or kUsageError (bad options or an unreadable
// settings file, reported on `err`).
[[nodiscard]] std::optional<TCliRun> ParseCliArguments(int argc, const char* const* argv, std::ostream& out,
                                                       std::ostream& err, int& exitCode);
