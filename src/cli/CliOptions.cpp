#include "cli/CliOptions.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <cmath>
#include <memory>
#include <sstream>
#include <vector>

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

std::vector<std::string> WordsOf(const TJobField& f) {
  std::vector<std::string> words;
  for (const TChoiceWord& w : f.Words) words.emplace_back(w.Word);
  return words;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::optional<TCliRun> ParseCliArguments(int argc, const char* const* argv, std::ostream& out,
                                         std::ostream& err, int& exitCode) {
  TCliRun run;
  TJobEntries& e = run.Entries;
  std::string settingsFile;
  std::string rapidRate;

  // Numbers and choices are taken as text and converted here, so that an empty or half-numeric value is
  // an error rather than a silent zero. One text (or flag) per field of the job's table, in its order.
  const auto fmt = [](double v) {
    std::ostringstream s;
    s << v;
    return s.str();
  };
  constexpr std::size_t kFields = std::size(kJobFields);
  std::vector<std::string> texts(kFields);
  const auto flags = std::make_unique<bool[]>(kFields);

  CLI::App app{"Writes a G-code facing program (ISO or GRBL 1.1) for a rectangular face."};
  // The parser's own messages quote what was typed (an unknown option, a strategy it does not know).
  app.failure_message([](const CLI::App* a, const CLI::Error& error) {
    const std::string text = CLI::FailureMessage::simple(a, error);
    const std::string_view what = error.what();
    return text.starts_with(what) ? EscapeControlBytes(what) + text.substr(what.size()) : text;
  });
  app.set_version_flag("--version", std::string(SKIMPLANE_VERSION) +
                                        "\nLicense GPL-3.0-or-later: GNU GPL version 3 or later.\n"
                                        "This is free software: you are free to change and redistribute it.\n"
                                        "There is NO WARRANTY, to the extent permitted by law.");
  for (std::size_t i = 0; i < kFields; ++i) {
    const TJobField& f = kJobFields[i];
    switch (f.Kind) {
      case TFieldKind::fkFloat:
      case TFieldKind::fkInteger: {
        texts[i] = fmt(f.Default());
        auto* option = app.add_option(f.Option, texts[i], f.Help);
        if (f.Unit)
          option->type_name(Upper(f.Unit));  // the help says the range and the default
        else
          option->type_name(f.Kind == TFieldKind::fkFloat ? "FLOAT" : "INT")->capture_default_str();
        break;
      }
      case TFieldKind::fkBool:
        app.add_flag(f.Option, flags[i], f.Help);
        break;
      case TFieldKind::fkChoice: {
        auto* option = app.add_option(f.Option, texts[i], f.Help)->check(CLI::IsMember(WordsOf(f)));
        // A choice whose default has no word (the dialect's own coolant) shows none.
        if (const char* word = f.WordOf(static_cast<int>(f.Default()))) {
          texts[i] = word;
          option->capture_default_str();
        }
        break;
      }
    }
  }
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
  app.add_flag("--json", run.Json, "with --stats: print the figures as one JSON object (keys in docs/user-guide.md)")
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
    // With a settings file, only the options given change its entries. An alternative entry (the
    // step-over) is taken after all the others, only when given (below).
    for (std::size_t i = 0; i < kFields; ++i) {
      const TJobField& f = kJobFields[i];
      if (f.Alternative || (fromFile && app.count(f.Option) == 0)) continue;
      const std::string& text = texts[i];
      switch (f.Kind) {
        case TFieldKind::fkBool:
          f.Set(e, flags[i] != f.OptionNegates);
          break;
        default: {
          // CLI11 has checked a choice's word already.
          const auto value = ParseFieldText(f, text);
          if (f.Unit && (!value || !(*value >= f.Min && *value <= f.Max)))
            throw CLI::ValidationError(f.Option, "\"" + EscapeControlBytes(text) + "\" is not a number of " +
                                                     f.Unit + " from " + fmt(f.Min) + " to " + fmt(f.Max));
          if (!value)
            throw CLI::ValidationError(f.Option,
                                       "\"" + EscapeControlBytes(text) + "\" is not " + FieldTextRule(f));
          f.Set(e, *value);
          break;
        }
      }
    }
    for (const TJobField& f : kJobFields) {
      if (!f.Alternative || app.count(f.Option) == 0) continue;
      const TJobField& replaced = ReplacedField(f);
      if (app.count(replaced.Option) > 0)
        throw CLI::ValidationError(f.Option, std::string("give either ") + f.Option + " or " +
                                                 replaced.Option + ", not both: they set the same " +
                                                 replaced.Noun);
      const std::string& text = texts[static_cast<std::size_t>(&f - kJobFields)];
      const auto value = ParseLength(text);
      if (!value || !AlternativeValueValid(*value))
        throw CLI::ValidationError(f.Option, "\"" + EscapeControlBytes(text) + "\" is not a number of " +
                                                 (f.Unit ? f.Unit : "") + " above zero");
      f.Set(e, *value);
    }
    // A choice the controller cannot run (GRBL has no mist coolant) is an error of the options.
    try {
      CheckOutputChoices(e, 0);
    } catch (const EDVError& error) {
      throw CLI::ValidationError(error.what());
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
  } catch (const CLI::ParseError& error) {
    const int code = app.exit(error, out, err);
    exitCode = code == 0 ? 0 : kUsageError;
    return std::nullopt;
  }
  exitCode = 0;
  return run;
}
