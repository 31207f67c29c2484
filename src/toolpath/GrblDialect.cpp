// The GRBL 1.1 dialect: every line passes a stock GRBL 1.1 parser (see docs/controllers.md for the rules
// and the reason behind each). The moves are the strategies' own; only what surrounds them differs.

#include <cmath>
#include <string>

#include "dvTools/dvError.h"
#include "toolpath/Dialect.h"
#include "toolpath/Emitters.h"
#include "toolpath/Entry.h"
#include "toolpath/JobFields.h"
#include "toolpath/NumStr.h"

namespace {

// The start of the layer mark's comment. No header line starts so: their paths are absolute, "-" or begin
// with "...".
constexpr std::string_view kLayerMark = "( Layer mark: ";

// Stock GRBL 1.1 has flood coolant (M8) but no mist (M7).
constexpr int kCoolants[] = {kCoolantOff, kCoolantFlood};

// GRBL's line buffer holds 80 bytes with the terminator; longer lines are refused.
constexpr std::size_t kMaxLine = 79;

// The job check keeps every coordinate below 1000000 mm: at most six whole digits, so each move line
// stays far within kMaxLine.

void Add(TGCodeFile& list, std::initializer_list<std::string_view> parts) {
  std::string line;
  for (auto p : parts) line += p;
  list.Add(line);
}

// The path as ASCII for a comment: every character outside ASCII (a GBK character is two bytes) and every
// control byte becomes "?", parentheses become brackets so the comment cannot end early or nest, and "!"
// and "~" become "?" as GRBL takes them for feed hold and cycle start wherever they stand in the stream.
std::string AsciiPath(std::string_view path) {
  std::string out;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto byte = static_cast<unsigned char>(path[i]);
    if (byte >= 0x81 && byte <= 0xFE && i + 1 < path.size() &&
        static_cast<unsigned char>(path[i + 1]) >= 0x40) {
      ++i;  // the trail byte of a GBK character
      out += '?';
    } else if (byte >= 0x80 || byte < 0x20 || byte == 0x7F || byte == '!' || byte == '~') {
      out += '?';
    } else if (byte == '(') {
      out += '[';
    } else if (byte == ')') {
      out += ']';
    } else {
      out += static_cast<char>(byte);
    }
  }
  return out;
}

class TGrblDialect final : public TDialect {
 public:
  std::string_view Name() const override { return "grbl"; }
  std::span<const int> Coolants() const override { return kCoolants; }
  double FrameLines(const TJobEntries& e) const override {
    // Four header lines, the start block up to the plunge with its coolant line (the approach in two moves,
    // no tool change), four lines of end, and one to spare.
    return 15 + (e.Dwell > 0 ? 1 : 0);
  }

  void AddHeader(const TFacingJob& job, std::string_view dateTime, TGCodeFile& list) const override {
    list.Add("( Skimplane v1.3 / GRBL 1.1 output )");
    list.Add("( Program by tarel.qo / 2011-05-04 )");
    // A long path keeps its end, where the file's name is.
    const std::string before = "( ", after = " created at " + std::string(dateTime) + " )";
    std::string path = AsciiPath(job.FileName);
    const std::size_t room = kMaxLine - before.size() - after.size();
    if (path.size() > room) path = "..." + path.substr(path.size() - (room - 3));
    Add(list, {before, path, after});
    Add(list, {"( Workpiece size: ", NumStr(job.XPos), " x ", NumStr(job.YPos), " mm )"});
  }

  void AddStart(const TFacingJob& job, TGCodeFile& list) const override {
    list.Add("G21 G90 G94 G17 G40 G54");
    Add(list, {"M3 S", std::to_string(job.Speed)});
    if (job.Dwell > 0) Add(list, {"G4 P", NumStr(job.Dwell)});
    if (job.Coolant == kCoolantFlood) list.Add("M8");
    // Up first, then across: the tool never crosses the stock below the retract height.
    AddMoveFZ(list, 0, 1000, job.ZUp);
    AddMoveXY(list, 0, StartCorner(job), StartCorner(job));
    AddEntry(job, list);
  }

  void AddLayerMark(int layer, TGCodeFile& list) const override {
    Add(list, {kLayerMark, "layer ", std::to_string(layer), " )"});
  }

  bool IsLayerMark(std::string_view line) const override { return line.starts_with(kLayerMark); }

  void AddEnd(const TFacingJob& job, TGCodeFile& list) const override {
    AddMoveFZ(list, 0, 1000, job.ZUp);
    list.Add("M5");
    list.Add("M9");
    list.Add("M2");
  }

  void Check(const TJobEntries& e, double) const override {
    if (e.Coolant == kCoolantMist)
      throw EJobRefused(
          MessageOf(
              "RefuseGrblMist",
              "GRBL 1.1 has no mist coolant (M7) in its stock build: choose flood or no coolant for GRBL"),
          {FieldOf(&TJobEntries::Coolant), FieldOf(&TJobEntries::Dialect)});
  }
};

}  // namespace

const TDialect& GrblDialect() {
  static const TGrblDialect dialect;
  return dialect;
}
