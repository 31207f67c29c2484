// The web page's entry points: a job in, the program, the figures, the drawing or Skimplane.ini out.
//
// A job comes as lines "key=value", each value percent-encoded UTF-8 (as encodeURIComponent writes it);
// keys that are missing keep the window's initial values. Each call returns 0 and leaves its answer in
// the result buffer (skResult, skResultSize), or returns 1 with the message of the refusal there, the
// same words as the desktop program's, and the message by key in skMessageText, so that the page can say it
// in its language with skMessageWords. Nothing here touches a file: the program is built in memory.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <emscripten.h>

#include "dvTools/EscapedText.h"
#include "dvTools/MessageWords.h"
#include "dvTools/dvError.h"
#include "dvTools/dvIniTools.h"
#include "preview/PreviewReport.h"
#include "preview/ProgramMoves.h"
#include "settings/HeaderPath.h"
#include "settings/Settings.h"
#include "toolpath/Dialect.h"
#include "toolpath/GenerateCode.h"
#include "toolpath/JobFields.h"
#include "toolpath/ProgramLimits.h"

namespace {

// The page keeps the whole program in the browser's memory, as a download: far below what a tab can
// hold, yet above any program a real face needs (a few million lines, tens of MB).
constexpr double kMaxWebProgramBytes = 256.0 * 1024 * 1024;

std::string result;
std::size_t secondSize = 0;  // skPreview: the SVG follows the figures' JSON in the same buffer
std::string refusalFields;   // the web names of the fields the last refusal is about, comma-separated
std::string messageText;     // the last refusal's or settings failure's message by key, as JSON (MessageJson)

// Lines between two reports of a long run's progress.
constexpr std::uint64_t kProgressEvery = 1 << 16;

}  // namespace

// Tells the page how far a long run is: `lines` done of about `estimate` (an upper bound). The module's
// `onProgress`, when the caller has set one, is called; a worker posts it to the page, which can end the
// worker to cancel.
EM_JS(void, skReportProgress, (double lines, double estimate), {
  if (Module["onProgress"]) Module["onProgress"](lines, estimate);
});

namespace {

// The program's lines as the file's bytes, each followed by CR LF, reporting the lines written so far.
class TGCodeStringSink final : public TGCodeSink {
 public:
  TGCodeStringSink(std::string& bytes, double estimate) : bytes_(bytes), estimate_(estimate) {}
  void AddLine(std::string_view line) override {
    bytes_.append(line);
    bytes_.append("\r\n");
    if (++lines_ % kProgressEvery == 0) skReportProgress(static_cast<double>(lines_), estimate_);
  }

 private:
  std::string& bytes_;
  double estimate_;
  std::uint64_t lines_ = 0;
};

struct TWebJob {
  TJobEntries Entries;
  std::string FileName = "facing.nc";
  std::string Time;
  double RapidRate = kDefaultRapidRate;
};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentDecoded(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The Chinese words of the module's own messages, which only the page meets (the window and the command
// line have their own), given to the page with the shared ones (skMessageWords).
constexpr TKeyedText kWebWords[] = {
    {"WebEntryNotValid", "%1：“%2”不是%3"},
    {"WebRuleNumber", "数值"},
    {"WebRuleWholeNumber", "32 位以内的整数"},
    {"WebRuleTrueOrFalse", "true 或 false"},
    {"WebRuleOneOf", "%1 之一"},
    {"WebRuleTime", "“YYYY-MM-DD HH:MM”格式的日期和时间"},
    {"WebRuleAboveZero", "大于零的数值"},
    {"WebRulePercentAboveZero", "大于零的百分数"},
    {"WebTooLargeForPage", "程序约有 %1 字节，超过了网页能保存在内存中的上限（%2 字节）；桌面程序可以写出它"},
};

// An entry of the call that cannot be taken, by its name.
class EEntryRefused : public EDVError {
 public:
  EEntryRefused(TMessageText message, std::string key) : EDVError(std::move(message)), key_(std::move(key)) {}
  EEntryRefused(const std::string& message, std::string key) : EDVError(message), key_(std::move(key)) {}
  [[nodiscard]] const std::string& Key() const { return key_; }

 private:
  std::string key_;
};

// `key: "value" is not <rule>`; `entry`: the web name of the page's entry the key stands for.
[[noreturn]] void Refuse(const std::string& key, const std::string& value, TMessageText rule,
                         std::string entry = {}) {
  throw EEntryRefused(MessageOf("WebEntryNotValid", "%1: \"%2\" is not %3",
                                {MessageValue(EscapeControlBytes(key), std::move(entry)),
                                 MessageValue(EscapeControlBytes(value)), std::move(rule)}),
                      key);
}

// What a field's text must be, by key: the words of FieldTextRule.
TMessageText RuleOf(const TJobField& f) {
  switch (f.Kind) {
    case TFieldKind::fkFloat:
      return MessageOf("WebRuleNumber", FieldTextRule(f));
    case TFieldKind::fkInteger:
      return MessageOf("WebRuleWholeNumber", FieldTextRule(f));
    case TFieldKind::fkBool:
      return MessageOf("WebRuleTrueOrFalse", FieldTextRule(f));
    case TFieldKind::fkChoice:
      break;
  }
  std::string words;
  for (const TChoiceWord& w : f.Words) words += (words.empty() ? "" : ", ") + std::string(w.Word);
  return MessageOf("WebRuleOneOf", "one of %1", {MessageValue(words)});
}

std::string Number(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  return buffer;
}

// One entry of the job by its field: the same text rules as the command line's.
void SetField(const TJobField& f, TJobEntries& e, const std::string& key, const std::string& value) {
  const auto v = ParseFieldText(f, value);
  if (!v) Refuse(key, value, RuleOf(f), key);
  f.Set(e, *v);
}

TWebJob ParseJob(std::string_view text) {
  TWebJob job;
  TJobEntries& e = job.Entries;
  // An alternative entry (the step-over) is taken after all the others, as the command line does.
  std::vector<std::pair<const TJobField*, std::string>> alternatives;
  std::vector<const TJobField*> given;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    const std::size_t equals = line.find('=');
    if (line.empty() || equals == std::string_view::npos) continue;
    const std::string key(line.substr(0, equals));
    const std::string value = PercentDecoded(line.substr(equals + 1));
    if (const TJobField* f = FieldByWebName(key)) {
      // An alternative entry left empty is not given (its default in skDescribe).
      if (f->Alternative && value.empty()) continue;
      given.push_back(f);
      if (f->Alternative)
        alternatives.emplace_back(f, value);
      else
        SetField(*f, e, key, value);
    } else if (key == "time") {
      if (value.empty()) continue;
      const auto t = ParseHeaderTime(value);
      if (!t) Refuse(key, value, MessageOf("WebRuleTime", "a date and time \"YYYY-MM-DD HH:MM\""));
      job.Time = FormatHeaderDateTime(t->year, t->month, t->day, t->hour, t->minute);
    } else if (key == "fileName") {
      job.FileName = value;
    } else if (key == "rapidRate") {
      const auto v = ParseLength(value);
      if (!v || !std::isfinite(*v) || !(*v > 0))
        Refuse(key, value, MessageOf("WebRuleAboveZero", "a number above zero"), key);
      job.RapidRate = *v;
    }
  }
  for (const auto& [f, value] : alternatives) {
    const TJobField& replaced = ReplacedField(*f);
    if (std::find(given.begin(), given.end(), &replaced) != given.end())
      throw EEntryRefused(std::string("give either ") + f->WebName + " or " + replaced.WebName +
                              ", not both: they set the same " + replaced.Noun,
                          f->WebName);
    const auto v = ParseLength(value);
    if (!v || !AlternativeValueValid(*v)) {
      const std::string unit = f->Unit ? f->Unit : "";
      const std::string rule = "a number of " + unit + " above zero";
      Refuse(f->WebName, value,
             unit == "percent" ? MessageOf("WebRulePercentAboveZero", rule) : MessageValue(rule), f->WebName);
    }
    f->Set(e, *v);
  }
  return job;
}

// Checks the job, once, and makes the generator's request of it.
TProgramRequest CheckedRequest(const TJobEntries& entries, std::string headerPath, std::string time) {
  return TProgramRequest{CheckJob(entries), {}, std::move(headerPath), std::move(time)};
}

// Text as a JSON string. Bytes above 0x7F pass as they are: the page decodes them as UTF-8, as it decodes
// the English message (a settings file's GBK bytes become replacement characters in both).
std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// A message for the page: {"text": its English, "key": of its words, "entry": the web name of the entry a
// value names, "args": [its arguments, each a message]}; a member without content is left out.
std::string MessageJson(const TMessageText& message) {
  const auto& [key, pattern, args, entry] = message;  // by its parts: no field of the job is named here
  std::string out = "{\"text\":" + JsonString(message.Words());
  if (!key.empty()) out += ",\"key\":" + JsonString(key);
  if (!entry.empty()) out += ",\"entry\":" + JsonString(entry);
  if (!args.empty()) {
    out += ",\"args\":[";
    for (std::size_t i = 0; i < args.size(); ++i) out += (i ? "," : "") + MessageJson(args[i]);
    out += "]";
  }
  return out + "}";
}

// Keeps an error's message by key for skMessageText; an error that has none leaves it empty.
void KeepMessage(const std::exception& error) {
  const auto* keyed = dynamic_cast<const EDVError*>(&error);
  messageText = keyed && !keyed->Text().Key.empty() ? MessageJson(keyed->Text()) : std::string();
}

// Runs one call: 0 with the answer in `result`, or 1 with the message there.
template <typename F>
int Answer(F&& call) {
  result = std::string();  // a large program's buffer is given back before the next call
  secondSize = 0;
  refusalFields.clear();
  messageText.clear();
  try {
    call();
    return 0;
  } catch (const EJobRefused& refusal) {
    result = refusal.what();
    KeepMessage(refusal);
    for (const TJobField* f : refusal.Fields())
      if (f) refusalFields += (refusalFields.empty() ? "" : ",") + std::string(f->WebName);
  } catch (const EEntryRefused& refusal) {
    result = refusal.what();
    KeepMessage(refusal);
    refusalFields = EscapeControlBytes(refusal.Key());
  } catch (const std::exception& error) {
    result = error.what();
    KeepMessage(error);
  } catch (...) {
    result = "Unknown error";
  }
  secondSize = 0;
  return 1;
}

// The entries as "key=value" lines, as ParseJob takes them.
std::string JobLines(const TJobEntries& e) {
  std::string out;
  for (const TJobField& f : kJobFields) {
    if (f.Alternative) continue;  // says nothing the field it replaces does not
    const double value = f.Get(e);
    std::string text;
    switch (f.Kind) {
      case TFieldKind::fkFloat:
      case TFieldKind::fkInteger:
        text = Number(value);
        break;
      case TFieldKind::fkBool:
        text = value != 0 ? "true" : "false";
        break;
      case TFieldKind::fkChoice: {
        const char* word = f.WordOf(static_cast<int>(value));
        text = word ? word : "";
        break;
      }
    }
    out += std::string(f.WebName) + "=" + text + "\n";
  }
  return out;
}

// The decimal separator a Skimplane.ini was written with: the window writes the user's own, a point or a
// comma. A file whose entries all read with a point is taken as written with one; a file that reads
// fully only with a comma, with a comma. Tried on the document as loaded (with QuotedStrings set): only
// the reading of numbers depends on the separator, so a large file is read once, not once per try.
char SeparatorOf(TDVIniFile& ini) {
  for (const char separator : {'.', ','}) {
    TJobEntries entries;
    ini.SetDecimalSeparator(separator);
    if (!ReadSettings(ini, entries, {}).FirstFailure) return separator;
  }
  return '.';
}

}  // namespace

extern "C" {

// The program's bytes (GBK, CR LF). The time must be given: the page has the user's clock.
int skGenerate(const char* jobText) {
  return Answer([&] {
    const TWebJob job = ParseJob(jobText);
    if (job.Time.empty()) throw EDVError("time: a date and time \"YYYY-MM-DD HH:MM\" is needed");
    const TProgramRequest request =
        CheckedRequest(job.Entries, HeaderPathBytesOfUtf8(job.FileName), job.Time);
    const double bytes = EstimateProgramBytes(job.Entries);
    if (bytes > kMaxWebProgramBytes)
      throw EDVError(MessageOf(
          "WebTooLargeForPage",
          "The program would have about %1 bytes, more than the page can keep in memory (%2); the desktop "
          "program writes it",
          {MessageValue(std::to_string(static_cast<long long>(bytes))),
           MessageValue(std::to_string(static_cast<long long>(kMaxWebProgramBytes)))}));
    TGCodeStringSink sink(result, request.Job.EstimatedLines());
    TGCodeFile list(sink);
    WriteProgram(request, list);
  });
}

// The figures as the JSON of "--stats --json", followed by the SVG drawing when `svg` is not zero;
// skSecondSize tells the drawing's length.
int skPreview(const char* jobText, int svg) {
  return Answer([&] {
    const TWebJob job = ParseJob(jobText);
    const TCheckedJob checked = CheckJob(job.Entries);
    const double estimate = checked.EstimatedLines();
    TReadProgress progress;
    progress.Every = kProgressEvery;
    progress.Tick = [estimate](std::uint64_t lines) { skReportProgress(static_cast<double>(lines), estimate); };
    TPreviewReport report = MakePreviewReport(checked, svg != 0, job.RapidRate, progress);
    result = std::move(report.Json);
    result += report.Svg;
    secondSize = report.Svg.size();
  });
}

// The entries of a Skimplane.ini's bytes as "key=value" lines. An entry that cannot be read keeps the
// initial value and its message follows as the line "error=..." (the first such message only), as the
// window reads the file at start. Numbers are read with the separator the file was written with. The
// messages name the file by `name` (UTF-8; Skimplane.ini when empty).
int skReadSettings(const char* bytes, int size, const char* name) {
  return Answer([&] {
    const std::string_view file(bytes, static_cast<std::size_t>(size));
    const std::string fileName = name && *name ? name : "Skimplane.ini";
    TJobEntries entries;
    TDVIniFile ini;
    LoadSettingsBytes(ini, file, fileName);
    ini.SetQuotedStrings(true);
    ini.SetDecimalSeparator(SeparatorOf(ini));
    const TSettingsRead read = ReadSettings(ini, entries, fileName);
    result = JobLines(entries);
    try {
      read.RaiseFirstFailure();
    } catch (const std::exception& error) {
      std::string message = error.what();
      KeepMessage(error);
      for (char& c : message)
        if (c == '\n' || c == '\r') c = ' ';
      result += "error=" + message + "\n";
    }
  });
}

// Skimplane.ini with the job's entries: written into `previous` (the bytes of an existing file, which
// keeps everything else it holds and its decimal separator) or, when `previousSize` is zero, a new file
// as the window's first exit writes it with a point.
int skWriteSettings(const char* jobText, const char* previous, int previousSize) {
  return Answer([&] {
    const TWebJob job = ParseJob(jobText);
    const std::string_view file(previous, static_cast<std::size_t>(previousSize));
    TDVIniFile ini;
    ini.SetDecimalSeparator('.');
    if (previousSize > 0) {
      ini.LoadFromBytes(file);
      ini.SetQuotedStrings(true);
      ini.SetDecimalSeparator(SeparatorOf(ini));
      ini.OpenRootKey("Option");  // the window's entries live in the first block of "Option"
      ini.OpenSubKey();
    } else {
      ini.SetQuotedStrings(true);
      ini.OpenRootKey("Option");  // the window's entries live in the first block of "Option"
      ini.AddSubKey();
    }
    WriteSettings(ini, job.Entries);
    result = ini.SaveToBytes();
  });
}

// The job's fields for the page, as JSON: for each its web name, kind, default (a word for a choice, "" for
// the dialect's own coolant, "" for an entry that replaces another and is not given), the steps of its
// arrow keys, its limits and its words, in the table's order.
int skDescribe() {
  return Answer([] {
    const auto quoted = [](std::string_view text) { return "\"" + std::string(text) + "\""; };
    std::string out = "[";
    for (const TJobField& f : kJobFields) {
      static const char* const kinds[] = {"float", "integer", "bool", "choice"};
      const double value = f.Default();
      std::string initial;
      if (f.Kind == TFieldKind::fkBool) {
        initial = value != 0 ? "true" : "false";
      } else if (f.Kind == TFieldKind::fkChoice) {
        const char* word = f.WordOf(static_cast<int>(value));
        initial = quoted(word ? word : "");
      } else if (f.Alternative) {
        initial = quoted("");  // not given: the field it replaces stands
      } else {
        initial = Number(value);
      }
      std::string words;
      for (const TChoiceWord& w : f.Words) words += (words.empty() ? "" : ",") + quoted(w.Word);
      out += std::string(out.size() > 1 ? "," : "") + "{\"name\":" + quoted(f.WebName) + ",\"kind\":" +
             quoted(kinds[static_cast<int>(f.Kind)]) + ",\"default\":" + initial +
             ",\"step\":" + Number(f.Step) + ",\"largeStep\":" + Number(f.LargeStep) +
             ",\"min\":" + (std::isfinite(f.Min) ? Number(f.Min) : "null") +
             ",\"max\":" + (std::isfinite(f.Max) ? Number(f.Max) : "null") + ",\"words\":[" + words + "]}";
    }
    result = out + "]";
  });
}

// The controller box's entries as JSON, in the window's order: each dialect with each coolant it can write,
// its own first ([{"dialect":"iso","coolant":"mist"}, ...]).
int skControllers() {
  return Answer([] {
    std::string out = "[";
    for (const TControllerWords& c : ControllerWords()) {
      out += std::string(out.size() > 1 ? "," : "") + "{\"dialect\":\"" + c.DialectWord + "\",\"coolant\":\"" +
             c.CoolantWord + "\"}";
    }
    result = out + "]";
  });
}

// The last refusal's or settings failure's message by key, as JSON (MessageJson), "" for a message
// without a key.
const char* skMessageText() {
  return messageText.c_str();
}

// The Simplified Chinese words of every message key, the shared ones and the module's own, as a JSON
// object from key to words.
int skMessageWords() {
  return Answer([] {
    std::string out = "{";
    for (const auto table : {MessageWords(), std::span<const TKeyedText>(kWebWords)})
      for (const TKeyedText& w : table)
        out += (out.size() > 1 ? "," : "") + JsonString(w.key) + ":" + JsonString(w.text);
    result = out + "}";
  });
}

// The fields the last refusal is about (web names, comma-separated; empty for none).
const char* skRefusalFields() {
  return refusalFields.c_str();
}

const char* skResult() {
  return result.data();
}
int skResultSize() {
  return static_cast<int>(result.size());
}
int skSecondSize() {
  return static_cast<int>(secondSize);
}

}  // extern "C"
