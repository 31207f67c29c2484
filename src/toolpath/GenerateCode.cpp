#include "toolpath/GenerateCode.h"

#include <cstdio>

#include "toolpath/Emitters.h"
#include "toolpath/NumStr.h"
#include "toolpath/ProgramLimits.h"
#include "toolpath/Strategies.h"

namespace {

// The Chinese words of the fixed comments, as the GBK bytes the program file carries.
constexpr std::string_view kOutput = "\xCA\xE4\xB3\xF6";                         // output
constexpr std::string_view kCreatedAt = "\xB4\xB4\xBD\xA8\xD3\xDA";              // created at
constexpr std::string_view kWorkpieceSize = "\xB9\xA4\xBC\xFE\xB3\xDF\xB4\xE7";  // workpiece size
constexpr std::string_view kLayerMark = "\xB7\xD6\xB2\xE3\xB1\xEA\xD6\xBE";      // layer mark
constexpr std::string_view kOrdinal = "\xB5\xDA";                                // ordinal prefix
constexpr std::string_view kLayer = "\xB2\xE3";                                  // layer

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

void AddHeader(const TFacingJob& job, std::string_view dateTime, TGCodeFile& list) {
  Add(list, {"( Skimplane v1.3 / ISO-Mill ", kOutput, " )"});
  list.Add("( Program by tarel.qo / 2011-05-04 )");
  Add(list, {"( ", CommentSafePath(job.FileName), " ", kCreatedAt, " ", dateTime, " )"});
  Add(list, {"( ", kWorkpieceSize, ":", NumStr(job.XPos), " x ", NumStr(job.YPos), " mm )"});
}

void DoLayer(const TFacingJob& job, TGCodeFile& list) {
  switch (job.Mode) {
    case kModeXZigzag:
      DoXZigzag(job, list);
      break;
    case kModeYZigzag:
      DoYZigzag(job, list);
      break;
    default:
      DoSpiral(job, list);
      break;
  }
}

}  // namespace

void AddProgramStart(const TFacingJob& job, TGCodeFile& list) {
  list.Add("G00 G90 G94 G40 G54 G80");
  list.Add("T1 M06");
  Add(list, {"M03 S", std::to_string(job.Speed)});
  list.Add("M07");
  Add(list, {"G00 F1000 X", NumStr(job.Radius), " Y", NumStr(job.Radius), " Z", NumStr(job.ZUp)});
  AddMoveFZ(list, 1, job.Fro, job.CutZ);
}

void AddProgramEnd(const TFacingJob& job, TGCodeFile& list) {
  Add(list, {"G00 F1000 Z", NumStr(job.ZUp)});
  list.Add("M09");
  list.Add("M05");
  list.Add("M02");
}

void WriteProgram(const TProgramRequest& request, TGCodeFile& list) {
  CheckJob(request.Entries);
  TFacingJob job = MakeFacingJob(request.Entries, request.HeaderPath);
  AddHeader(job, request.DateTime, list);
  AddProgramStart(job, list);
  // At least one layer is cut, also for a layer count of zero or less.
  do {
    DoLayer(job, list);
    // Counting down only from above zero keeps the most negative layer count from wrapping around.
    if (job.LayersLeft > 0) --job.LayersLeft;
    if (job.LayersLeft > 0) {
      Add(list, {"( ", kLayerMark, ": ", kOrdinal, std::to_string(job.LayerCount - job.LayersLeft + 1),
                 kLayer, " )"});
      job.CutZ = job.CutZ - job.ZStep;
      // The retract between layers sits ZUp above the level just cut, not above the new one.
      AddMoveFZ(list, 0, 1000, job.ZUpAbs ? job.ZUp : (job.CutZ + job.ZStep) + job.ZUp);
      AddMoveXY(list, 1, job.Radius, job.Radius);
      AddMoveFZ(list, 1, job.Fro, job.CutZ);
    }
  } while (job.LayersLeft > 0);
  AddProgramEnd(job, list);
}

void GenerateCode(const TProgramRequest& request) {
  CheckJob(request.Entries);  // before the temporary file exists
  TGCodeFileSink sink(request.OutputPath);
  TGCodeFile list(sink);
  WriteProgram(request, list);
  list.Save();
}

std::string FormatHeaderDateTime(int year, int month, int day, int hour, int minute, char timeSeparator) {
  char buffer[64];
  const int n = std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d%c%02d", year, month, day, hour,
                              timeSeparator, minute);
  return std::string(buffer, static_cast<std::size_t>(n));
}
