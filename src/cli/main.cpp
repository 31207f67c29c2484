// skimplane-cli: writes a facing program without the window, for scripts and batch use.
//
// Everything that can fail is tried before any file is replaced: the job check, the drawing (which may be
// refused as too large), the creation of every output, the writing and syncing of every output; only then
// are the outputs put in place, one after the other. A run that fails therefore replaces nothing.

#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/CliOptions.h"
#include "cli/CliSupport.h"
#include "dvTools/AtomicFileWriter.h"
#include "dvTools/dvError.h"
#include "preview/PreviewReport.h"
#include "settings/HeaderPath.h"
#include "toolpath/GenerateCode.h"
#include "toolpath/ProgramLimits.h"

namespace fs = std::filesystem;

namespace {

std::string Now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return FormatHeaderDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                              local.tm_min);
}

// The path the header shows: the absolute path in GBK, or "-" for standard output.
std::string HeaderPath(const std::string& output) {
  if (output == kStandardOutputName) return std::string(kStandardOutputName);
  std::error_code ec;
  fs::path full = fs::absolute(output, ec);
  full = ec ? fs::path(output) : full.lexically_normal();
  return HeaderPathBytesOfUtf8(full.string());  // file names are UTF-8 bytes here
}

void Run(const TCliRun& run) {
  const TCheckedJob job = CheckJob(run.Entries);
  TPreviewReport report;
  if (!run.PreviewFile.empty() || run.Stats)
    report = MakePreviewReport(run.Entries, !run.PreviewFile.empty(), run.RapidRate);

  std::unique_ptr<TGCodeFileSink> program;
  if (run.Output == kStandardOutputName) {
    program = std::make_unique<TGCodeFileSink>(STDOUT_FILENO, "standard output");
  } else if (!run.Output.empty()) {
    program = std::make_unique<TGCodeFileSink>(run.Output);
  }
  std::unique_ptr<AtomicFileWriter> drawing;
  if (!run.PreviewFile.empty()) drawing = std::make_unique<AtomicFileWriter>(run.PreviewFile);

  if (program) {
    TGCodeFile list(*program);
    WriteProgram({job, {}, HeaderPath(run.Output), run.Time.empty() ? Now() : run.Time}, list);
    program->Finish();
  }
  if (drawing) {
    drawing->Write(report.Svg);
    drawing->Finish();
  }
  if (program) program->Save();
  if (drawing) drawing->Commit();
  if (run.Stats) {
    if (run.Json)
      std::cout << report.Json;
    else
      for (const auto& [label, value] : report.Figures) std::cout << label << ": " << value << "\n";
    std::cout.flush();
    if (!std::cout) throw EStreamWriteError("standard output", EIO);
  }
}

}  // namespace

int main(int argc, char** argv) {
  int exitCode = 0;
  const auto run = ParseCliArguments(argc, argv, std::cout, std::cerr, exitCode);
  if (!run) return exitCode;
  try {
    Run(*run);
  } catch (const EStreamWriteError& error) {
    // The window says only "Stream write error"; here there is room for the file and the reason.
    std::cerr << "skimplane-cli: " << error.Detail() << "\n";
    return kGenerationError;
  } catch (const std::exception& error) {
    std::cerr << "skimplane-cli: " << error.what() << "\n";
    return kGenerationError;
  }
  return 0;
}
