// skimplane-cli: writes a facing program without the window, for scripts and batch use.
//
// Everything that can fail is tried before any file is replaced: the job check, the drawing (which may be
// refused as too large), the creation of every output, the writing and syncing of every output; only then
// are the outputs put in place, one after the other. A run that fails therefore replaces nothing.

#ifdef _WIN32
#include <windows.h>
// windows.h first
#include <shellapi.h>
#else
#include <unistd.h>
#endif

#include <ctime>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "toolpath/JobFields.h"
#include "dvTools/AtomicFileWriter.h"
#include "dvTools/EscapedText.h"
#include "dvTools/Utf8Path.h"
#include "dvTools/dvError.h"
#ifdef _WIN32
#include "dvTools/WindowsText.h"
#endif
#include "preview/PreviewReport.h"
#include "settings/HeaderPath.h"
#include "toolpath/GenerateCode.h"
#include "toolpath/ProgramLimits.h"

namespace fs = std::filesystem;

namespace {

std::string Now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return FormatHeaderDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                              local.tm_min);
}

// The path the header shows: the absolute path in GBK, or "-" for standard output.
std::string HeaderPath(const std::string& output) {
  if (output == kStandardOutputName) return std::string(kStandardOutputName);
  std::error_code ec;
  fs::path full = fs::absolute(PathFromUtf8(output), ec);
  full = ec ? PathFromUtf8(output) : full.lexically_normal();
  return HeaderPathBytesOfUtf8(Utf8FromPath(full));
}

#ifdef _WIN32
constexpr int kStandardOutput = 1;

// The arguments as UTF-8, whatever the console's code page: a file name in any script stays whole.
std::vector<std::string> Utf8Arguments() {
  std::vector<std::string> args;
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (!wide) return args;
  for (int i = 0; i < count; ++i) args.push_back(Utf8FromWide(wide[i]));
  ::LocalFree(wide);
  return args;
}
#else
constexpr int kStandardOutput = STDOUT_FILENO;
#endif

void Run(const TCliRun& run) {
  const TCheckedJob job = CheckJob(run.Entries);
  TPreviewReport report;
  if (!run.PreviewFile.empty() || run.Stats)
    report = MakePreviewReport(job, !run.PreviewFile.empty(), run.RapidRate);

  std::unique_ptr<TGCodeFileSink> program;
  if (run.Output == kStandardOutputName) {
    program = std::make_unique<TGCodeFileSink>(kStandardOutput, "standard output");
  } else if (!run.Output.empty()) {
    program = std::make_unique<TGCodeFileSink>(PathFromUtf8(run.Output));
  }
  std::unique_ptr<AtomicFileWriter> drawing;
  if (!run.PreviewFile.empty()) drawing = std::make_unique<AtomicFileWriter>(PathFromUtf8(run.PreviewFile));

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
  const char* const* arguments = argv;
#ifdef _WIN32
  const std::vector<std::string> args = Utf8Arguments();
  std::vector<const char*> utf8Argv;
  for (const std::string& arg : args) utf8Argv.push_back(arg.c_str());
  utf8Argv.push_back(nullptr);
  if (!args.empty()) {
    argc = static_cast<int>(args.size());
    arguments = utf8Argv.data();
  }
#endif
  const auto run = ParseCliArguments(argc, arguments, std::cout, std::cerr, exitCode);
  if (!run) return exitCode;
  try {
    Run(*run);
  } catch (const EStreamWriteError& error) {
    // The window says only "Stream write error"; here there is room for the file and the reason.
    std::cerr << "skimplane-cli: " << error.Detail() << "\n";
    return kGenerationError;
  } catch (const EDVError& error) {
    std::cerr << "skimplane-cli: " << error.what() << "\n";
    return kGenerationError;
  } catch (const std::exception& error) {
    // The standard library's messages (a file system error) quote paths as they are.
    std::cerr << "skimplane-cli: " << EscapeControlBytes(error.what()) << "\n";
    return kGenerationError;
  }
  return 0;
}
