#include "cli/CliOptions.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <sstream>
#include <vector>

#include "cli/CliSupport.h"
#include "dvTools/EscapedText.h"
#include "dvTools/Utf8Path.h"
#include "dvTools/dvError.h"
#include "settings/SettingsValues.h"
#include "toolpath/Dialect.h"
#include "toolpath/GenerateCode.h"
#include "toolpath/JobFields.h"

#ifndef SKIMPLANE_VERSION
#define SKIMPLANE_VERSION "skimplane-cli"
#endif

namespace {

std::vector<std::string> StrategyNames() {
  std::vector<std::string> names;
  for (const TStrategy& s : kStrategies) names.emplace_back(s.Name);
  return names;
}

}  // namespace

std::optional<TCliRun> ParseCliArguments(int argc, const char* const* argv, std::ostream& out,
                                         std::ostream& err, int& exitCode) {
  TCliRun run;
  TJobEntries& e = run.Entries;
  std::string strategy = "spiral";
  bool noEdgeClean = false;
  std::string settingsFile;
  std::string rapidRate;

  // Numbers are taken as text and converted here, so that an empty or half-numeric value is an error
  // rather than a silent zero. One text per field of the job's table, in its order.
  const auto fmt = [](double v) {
    std::ostringstream s;
    s << v;
    return s.str();
  };
  std::vector<std::string> texts;
  for (const TNumberField& f : kNumberFields) texts.push_back(fmt(f.Get(e)));

  CLI::App app{"Writes a G-code facing program (ISO or GRBL 1.1) for a rectangular face."};
  // The parser's own messages quote what was typed (an unknown option, a strategy it does not know).
  app.failure_message([](const CLI::App* a, const CLI::Error& error) {
    const std::string text = CLI::FailureMessage::simple(a, error);
    const std::string_view what = error.what();
    return text.starts_with(what) ? EscapeControlBytes(what) + text.substr(what.size()) : text;
  });
  app.set_version_flag("--version", SKIMPLANE_VERSION);
  for (std::size_t i = 0; i < std::size(kNumberFields); ++i) {
    const TNumberField& f = kNumberFields[i];
    app.add_option(f.Option, texts[i], f.Help)
        ->type_name(f.Kind == TFieldKind::fkFloat ? "FLOAT" : "INT")
        ->capture_default_str();
    if (f.Length == &TJobEntries::ZUp) {
      app.add_flag("--absolute-retract", e.ZUpAbs,
                   "retract to the height itself (default: above the cutting level)");
    }
  }
  app.add_option("--strategy", strategy, "clearing strategy")
      ->check(CLI::IsMember(StrategyNames()))
      ->capture_default_str();
  app.add_flag("--no-edge-clean", noEdgeClean, "leave out the edge-clean pass of each layer");
  bool finishCentre = false;
  app.add_flag("--finish-centre", finishCentre,
               "spiral: after each layer's spiral, clear what it left in the middle and at the start");
  std::string dialect = "iso", coolant, dwell;
  app.add_option("--dialect", dialect, "the controller the program is written for (README: dialects)")
      ->check(CLI::IsMember({"iso", "grbl"}))
      ->capture_default_str();
  app.add_option("--coolant", coolant, "off, mist or flood (default: mist for iso, off for grbl)")
      ->check(CLI::IsMember({"off", "mist", "flood"}));
  app.add_option("--dwell", dwell, "seconds to wait after the spindle start, 0 to 3600 (default: 0)")
      ->type_name("SECONDS");
  app.add_option("--time", run.Time,
                 "date and time for the header, \"YYYY-MM-DD HH:MM\" (default: now, local time)")
      ->type_name("TIME");
  app.add_option(
         "--settings", settingsFile,
         "take the entries from this settings file (as Skimplane.ini); options given as well override them")
      ->type_name("FILE");
  app.add_option(
         "-o,--output", run.Output,
         "the program file to write; \"-\" writes it to standard output (its header then shows \"-\")")
      ->type_name("FILE");
  app.add_option("--preview", run.PreviewFile, "draw the toolpath into this SVG file")->type_name("FILE");
  app.add_flag("--stats", run.Stats,
               "print lines, path lengths, cycle time and the share of the face left uncut");
  app.add_flag("--json", run.Json, "with --stats: print the figures as one JSON object (keys in the README)")
      ->needs("--stats");
  app.add_option("--rapid-rate", rapidRate, "rapid rate for the cycle time, mm/min, above zero")
      ->type_name("FLOAT")
      ->default_str(fmt(kDefaultRapidRate));

  try {
    app.parse(argc, argv);
    if (run.Output.empty() && run.PreviewFile.empty() && !run.Stats) throw CLI::RequiredError("--output");
    if (run.Output == kStandardOutputName && run.Stats)
      throw CLI::ValidationError("--stats", "the figures cannot share standard output with \"-o -\"");
    const bool fromFile = !settingsFile.empty();
    if (fromFile) {
      try {
        ReadSettingsFile(PathFromUtf8(settingsFile), e);
      } catch (const EDVError& error) {
        err << "skimplane-cli: " << error.what() << "\n";
        exitCode = kUsageError;
        return std::nullopt;
      }
    }
    for (std::size_t i = 0; i < std::size(kNumberFields); ++i) {
      const TNumberField& f = kNumberFields[i];
      const std::string& text = texts[i];
      if (fromFile && app.count(f.Option) == 0) continue;
      if (f.Kind == TFieldKind::fkFloat) {
        const auto value = ParseLength(text);
        if (!value)
          throw CLI::ValidationError(f.Option, "\"" + EscapeControlBytes(text) + "\" is not a number");
        f.Set(e, *value);
      } else {
        const auto value = ParseWholeNumber(text);
        if (!value)
          throw CLI::ValidationError(
              f.Option, "\"" + EscapeControlBytes(text) + "\" is not a whole number within 32 bits");
        f.Set(e, *value);
      }
    }
    if (!rapidRate.empty() || app.count("--rapid-rate") > 0) {
      // Quoted as given: the number itself may be 300 digits long once printed.
      const auto value = ParseLength(rapidRate);
      if (!value || !std::isfinite(*value) || !(*value > 0))
        throw CLI::ValidationError("--rapid-rate",
                                   "\"" + EscapeControlBytes(rapidRate) + "\" is not a number above zero");
      run.RapidRate = *value;
    }
    if (!run.Time.empty()) {
      const auto t = ParseHeaderTime(run.Time);
      if (!t)
        throw CLI::ValidationError(
            "--time", "\"" + EscapeControlBytes(run.Time) + "\" is not a date and time \"YYYY-MM-DD HH:MM\"");
      run.Time = FormatHeaderDateTime(t->year, t->month, t->day, t->hour, t->minute);
    }
    if (!fromFile || app.count("--strategy") > 0)
      for (const TStrategy& s : kStrategies)
        if (strategy == s.Name) e.Mode = s.Mode;
    if (!fromFile || noEdgeClean) e.ClearEnd = !noEdgeClean;
    if (finishCentre) e.FinishCentre = true;
    if (!fromFile || app.count("--dialect") > 0) e.Dialect = *ParseDialect(dialect);
    if (app.count("--coolant") > 0) e.Coolant = *ParseCoolant(coolant);
    if (app.count("--dwell") > 0) {
      const auto value = ParseLength(dwell);
      if (!value || !(*value >= 0 && *value <= kMaxDwell))
        throw CLI::ValidationError(
            "--dwell", "\"" + EscapeControlBytes(dwell) + "\" is not a number of seconds from 0 to 3600");
      e.Dwell = *value;
    }
    if (e.Dialect == kDialectGrbl && e.Coolant == kCoolantMist)
      throw CLI::ValidationError("--coolant",
                                 "GRBL 1.1 has no mist coolant (M7) in its stock build; "
                                 "choose flood or off");
  } catch (const CLI::ParseError& error) {
    const int code = app.exit(error, out, err);
    exitCode = code == 0 ? 0 : kUsageError;
    return std::nullopt;
  }
  exitCode = 0;
  return run;
}
