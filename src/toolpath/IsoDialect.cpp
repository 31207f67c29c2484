// The ISO dialect: the program as Skimplane has always written it, GBK comments included. Only a job that
// chooses other coolant or a dwell changes a line of it.

#include <string>

#include "toolpath/Dialect.h"
#include "toolpath/Emitters.h"
#include "toolpath/Entry.h"
#include "toolpath/NumStr.h"

namespace {

// The Chinese words of the fixed comments, as the GBK bytes the program file carries.
constexpr std::string_view kOutput = "\xCA\xE4\xB3\xF6";                         // output
constexpr std::string_view kCreatedAt = "\xB4\xB4\xBD\xA8\xD3\xDA";              // created at
constexpr std::string_view kWorkpieceSize = "\xB9\xA4\xBC\xFE\xB3\xDF\xB4\xE7";  // workpiece size
constexpr std::string_view kOrdinal = "\xB5\xDA";                                // ordinal prefix
constexpr std::string_view kLayer = "\xB2\xE3";                                  // layer
constexpr std::string_view kLayerMark = "\xB7\xD6\xB2\xE3\xB1\xEA\xD6\xBE";      // layer mark

constexpr int kCoolants[] = {kCoolantMist, kCoolantFlood, kCoolantOff};

void Add(TGCodeFile& list, std::initializer_list<std::string_view> parts) {
  std::string line;
  for (auto p : parts) line += p;
  list.Add(line);
}

// The path inside the header's comment: a ")" would end the comment early (and a "(" nest one, which
// controls refuse), a line break would start real G-code lines. Brackets stand in for parentheses and
// "?" for control bytes. No GBK character has any of these bytes as its second byte, so the rest of the
// path passes byte for byte.
std::string CommentSafePath(std::string_view path) {
  std::string out(path);
  for (char& c : out) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '(') {
      c = '[';
    } else if (c == ')') {
      c = ']';
    } else if (byte < 0x20 || byte == 0x7F) {
      c = '?';
    }
  }
  return out;
}

class TIsoDialect final : public TDialect {
 public:
  std::string_view Name() const override { return "iso"; }
  std::span<const int> Coolants() const override { return kCoolants; }
  double FrameLines(const TJobEntries& e) const override {
    // Four header lines, the start block up to the plunge with its coolant line, and four lines of end.
    return 14 + (e.Dwell > 0 ? 1 : 0);
  }

  void AddHeader(const TFacingJob& job, std::string_view dateTime, TGCodeFile& list) const override {
    Add(list, {"( Skimplane v1.3 / ISO-Mill ", kOutput, " )"});
    list.Add("( Program by tarel.qo / 2011-05-04 )");
    Add(list, {"( ", CommentSafePath(job.FileName), " ", kCreatedAt, " ", dateTime, " )"});
    Add(list, {"( ", kWorkpieceSize, ":", NumStr(job.XPos), " x ", NumStr(job.YPos), " mm )"});
  }

  void AddStart(const TFacingJob& job, TGCodeFile& list) const override {
    list.Add("G00 G90 G94 G40 G54 G80");
    list.Add("T1 M06");
    Add(list, {"M03 S", std::to_string(job.Speed)});
    if (job.Dwell > 0) Add(list, {"G04 P", NumStr(job.Dwell)});
    if (job.Coolant == kCoolantMist) list.Add("M07");
    if (job.Coolant == kCoolantFlood) list.Add("M08");
    Add(list,
        {"G00 F1000 X", NumStr(StartCorner(job)), " Y", NumStr(StartCorner(job)), " Z", NumStr(job.ZUp)});
    AddEntry(job, list);
  }

  void AddLayerMark(int layer, TGCodeFile& list) const override {
    Add(list, {"( ", kLayerMark, ": ", kOrdinal, std::to_string(layer), kLayer, " )"});
  }

  bool IsLayerMark(std::string_view line) const override {
    // The mark's words anywhere in a comment line.
    return line.starts_with('(') && line.find(kLayerMark) != std::string_view::npos;
  }

  void AddEnd(const TFacingJob& job, TGCodeFile& list) const override {
    Add(list, {"G00 F1000 Z", NumStr(job.ZUp)});
    list.Add("M09");
    list.Add("M05");
    list.Add("M02");
  }

  void Check(const TJobEntries&, double) const override {}
};

}  // namespace

const TDialect& IsoDialect() {
  static const TIsoDialect dialect;
  return dialect;
}
