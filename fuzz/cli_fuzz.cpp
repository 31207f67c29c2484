// The command-line tool's option parsing and job checks on any argument list: the input is split at NUL
// bytes into arguments. Nothing is written (the run itself is not started); whatever the options say, the
// parser must answer with a run or an exit code, and a job the checks let through must be one whose
// program stays within the estimates the checks relied on.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "dvTools/dvError.h"
#include "toolpath/GenerateCode.h"
#include "toolpath/ProgramLimits.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "broken: %s\n", what);
    __builtin_trap();
  }
}

// Counts what a program would be without keeping it.
class TCountingSink final : public TGCodeSink {
 public:
  void AddLine(std::string_view line) override {
    ++lines;
    bytes += line.size() + 2;
  }
  double lines = 0, bytes = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> args{"skimplane-cli"};
  std::string current;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.push_back(current);
      current.clear();
    } else {
      current += static_cast<char>(data[i]);
    }
  }
  args.push_back(current);
  if (args.size() > 64) return 0;
  std::vector<const char*> argv;
  for (const auto& a : args) argv.push_back(a.c_str());

  std::ostringstream out, err;
  int exitCode = -1;
  const auto run = ParseCliArguments(static_cast<int>(argv.size()), argv.data(), out, err, exitCode);
  if (!run) {
    Check(exitCode == 0 || exitCode == kUsageError, "an ended command line has an exit code");
    Check(exitCode == 0 || !err.str().empty(), "a refused command line says why");
    return 0;
  }
  Check(exitCode == 0, "a run to start has no exit code yet");
  Check(!run->Output.empty() || !run->PreviewFile.empty() || run->Stats, "a run has something to do");
  Check(run->RapidRate > 0 && std::isfinite(run->RapidRate), "the rapid rate is a positive number");

  std::optional<TCheckedJob> job;
  try {
    job.emplace(CheckJob(run->Entries));
  } catch (const EDVError& e) {
    Check(*e.what() != '\0', "a refusal says why");
    return 0;
  }
  const double lines = EstimateProgramLines(run->Entries);
  const double bytes = EstimateProgramBytes(run->Entries);
  Check(lines <= kMaxProgramLines && bytes <= kMaxProgramBytes, "an accepted job is within the limits");
  Check(run->Entries.Fro > 0 && run->Entries.Speed > 0, "an accepted job has a feed and a speed");
  // Small programs are built in full: the estimates must bound them.
  if (lines < 20000) {
    TCountingSink sink;
    TGCodeFile list(sink);
    WriteProgram({*job, {}, std::string(4096, 'p'), "2011-06-18 14:05"}, list);
    Check(sink.lines <= lines, "the line estimate bounds the program");
    Check(sink.bytes <= bytes, "the byte estimate bounds the program");
  }
  return 0;
}
