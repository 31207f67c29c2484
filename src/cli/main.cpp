// skimplane-cli: writes a facing program without the window, for scripts and batch use.

#include <CLI/CLI.hpp>

#include <ctime>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "cli/CliSupport.h"
#include "dvTools/dvError.h"
#include "preview/PreviewReport.h"
#include "preview/ProgramMoves.h"
#include "settings/SettingsValues.h"
#include "toolpath/GenerateCode.h"

namespace fs = std::filesystem;

namespace {

constexpr int kUsageError = 2;
constexpr int kGenerationError = 1;

std::string Now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return FormatHeaderDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                              local.tm_min);
}

}  // namespace

int main(int argc, char** argv) {
  TJobEntries e;  // the window's initial values
  std::string strategy = "spiral";
  std::string time;
  std::string output;
  bool noEdgeClean = false;
  std::string settingsFile;
  bool fromFile = false;

  // Numbers are taken as text and converted here, so that an empty or half-numeric value is an error
  // rather than a silent zero.
  struct TNumberOption {
    const char* name;
    const char* help;
    std::string text;
    double* length;
    int32_t* whole;
  };
  const auto fmt = [](double v) {
    std::ostringstream s;
    s << v;
    return s.str();
  };
  TNumberOption numbers[] = {
      {"--x", "X extent of the face, mm", fmt(e.XPos), &e.XPos, nullptr},
      {"--y", "Y extent of the face, mm", fmt(e.YPos), &e.YPos, nullptr},
      {"--diameter", "cutter diameter, mm", fmt(e.Knit), &e.Knit, nullptr},
      {"--overlap", "overlap of neighbouring passes, mm", fmt(e.Cross), &e.Cross, nullptr},
      {"--step-down", "step-down per layer, mm", fmt(e.ZPos), &e.ZPos, nullptr},
      {"--retract", "retract height, mm", fmt(e.ZUp), &e.ZUp, nullptr},
      {"--layers", "number of layers", std::to_string(e.Layer), nullptr, &e.Layer},
      {"--spindle", "spindle speed (S word)", std::to_string(e.Speed), nullptr, &e.Speed},
      {"--feed", "cutting feed (F word of every plunge)", std::to_string(e.Fro), nullptr, &e.Fro},
  };

  CLI::App app{"Writes an ISO G-code facing program for a rectangular face."};
  app.set_version_flag("--version", SKIMPLANE_VERSION);
  for (auto& n : numbers) {
    app.add_option(n.name, n.text, n.help)->type_name(n.length ? "FLOAT" : "INT")->capture_default_str();
    if (std::string(n.name) == "--retract") {
      app.add_flag("--absolute-retract", e.ZUpAbs,
                   "retract to the height itself (default: above the cutting level)");
    }
  }
  app.add_option("--strategy", strategy, "clearing strategy")
      ->check(CLI::IsMember({"spiral", "x", "y"}))
      ->capture_default_str();
  app.add_flag("--no-edge-clean", noEdgeClean, "leave out the edge-clean pass of each layer");
  bool finishCentre = false;
  app.add_flag("--finish-centre", finishCentre,
               "spiral: after each layer's spiral, clear what it left in the middle and at the start");
  app.add_option("--time", time,
                 "date and time for the header, \"YYYY-MM-DD HH:MM\" (default: now, local time)")
      ->type_name("TIME");
  app.add_option(
         "--settings", settingsFile,
         "take the entries from this settings file (as Skimplane.ini); options given as well override them")
      ->type_name("FILE");
  app.add_option("-o,--output", output, "the program file to write")->type_name("FILE");
  std::string previewFile;
  bool stats = false;
  double rapidRate = kDefaultRapidRate;
  app.add_option("--preview", previewFile, "draw the toolpath into this SVG file")->type_name("FILE");
  app.add_flag("--stats", stats,
               "print lines, path lengths, cycle time and the share of the face left uncut");
  app.add_option("--rapid-rate", rapidRate, "rapid rate for the cycle time, mm/min")
      ->check(CLI::PositiveNumber)
      ->capture_default_str();
  bool json = false;
  app.add_flag("--json", json, "with --stats: print the figures as one JSON object (keys in the README)")
      ->needs("--stats");

  try {
    app.parse(argc, argv);
    if (output.empty() && previewFile.empty() && !stats) throw CLI::RequiredError("--output");
    fromFile = !settingsFile.empty();
    if (fromFile) {
      TSettingsValues s;
      try {
        ReadSettingsFile(settingsFile, s);
      } catch (const EDVError& error) {
        std::cerr << "skimplane-cli: " << error.what() << "\n";
        return kUsageError;
      }
      e.XPos = s.Length;  // "Length" holds the X extent, "Width" the Y extent
      e.YPos = s.Width;
      e.Knit = s.Knit;
      e.Cross = s.Cross;
      e.ZPos = s.ZPos;
      e.ZUp = s.ZUp;
      e.Layer = s.Layer;
      e.Speed = s.Speed;
      e.Fro = s.Fro;
      e.Mode = s.Mode;
      e.ClearEnd = s.ClearEnd;
      e.FinishCentre = s.FinishCentre;
    }
    for (auto& n : numbers) {
      if (fromFile && app.count(n.name) == 0) continue;
      if (n.length) {
        const auto value = ParseLength(n.text);
        if (!value) throw CLI::ValidationError(n.name, "\"" + n.text + "\" is not a number");
        *n.length = *value;
      } else {
        const auto value = ParseWholeNumber(n.text);
        if (!value)
          throw CLI::ValidationError(n.name, "\"" + n.text + "\" is not a whole number within 32 bits");
        *n.whole = *value;
      }
    }
    if (!time.empty()) {
      const auto t = ParseHeaderTime(time);
      if (!t)
        throw CLI::ValidationError("--time", "\"" + time + "\" is not a date and time \"YYYY-MM-DD HH:MM\"");
      time = FormatHeaderDateTime(t->year, t->month, t->day, t->hour, t->minute);
    }
  } catch (const CLI::ParseError& error) {
    const int code = app.exit(error);
    return code == 0 ? 0 : kUsageError;
  }

  if (!fromFile || app.count("--strategy") > 0)
    e.Mode = strategy == "x" ? kModeXZigzag : strategy == "y" ? kModeYZigzag : kModeSpiral;
  if (!fromFile || noEdgeClean) e.ClearEnd = !noEdgeClean;
  if (finishCentre) e.FinishCentre = true;

  try {
    std::error_code ec;
    fs::path full = fs::absolute(output, ec);
    full = ec ? fs::path(output) : full.lexically_normal();
    if (!output.empty())
      GenerateCode({e, output, EncodePathForHeader(full.string()), time.empty() ? Now() : time});
    if (!previewFile.empty() || stats)
      WritePreviewReport(e, previewFile, stats, rapidRate, std::cout,
                         json ? TFigureFormat::ffJson : TFigureFormat::ffText);
  } catch (const EDVError& error) {
    std::cerr << "skimplane-cli: " << error.what() << "\n";
    return kGenerationError;
  } catch (const std::exception& error) {
    std::cerr << "skimplane-cli: " << error.what() << "\n";
    return kGenerationError;
  }
  return 0;
}
