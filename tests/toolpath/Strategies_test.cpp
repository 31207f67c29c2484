#include "toolpath/Strategies.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "toolpath/Emitters.h"
#include "toolpath/GenerateCode.h"
#include "toolpath/ProgramLimits.h"

namespace {

// The job of a run's first layer for a face, radius and overlap; step-down 1, ZUp 2, feed 120.
TFacingJob Job(double x, double y, double radius, double cross, bool clearEnd, bool absolute = false) {
  TJobEntries e;
  e.XPos = x;
  e.YPos = y;
  e.Knit = radius * 2;
  e.Cross = cross;
  e.ClearEnd = clearEnd;
  e.ZUpAbs = absolute;
  return MakeFacingJob(e);
}

std::vector<std::string> Layer(void (*strategy)(const TFacingJob&, TGCodeFile&), const TFacingJob& job) {
  TGCodeMemorySink sink;
  TGCodeFile list(sink);
  strategy(job, list);
  return sink.Lines();
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& l : lines) text += (text.empty() ? "" : ", ") + l;
  return text;
}

}  // namespace

TEST(DoSpiral, LegsForTheTrickyFaces) {
  const struct {
    double x, y, r, c;
    const char* legs;
  } rows[] = {
      {20, 12, 3, 0.5, "G01 Y9.000, G01 X17.000, G01 Y3.000, G01 X8.500"},
      {12, 20, 3, 0.5, "G01 Y17.000, G01 X9.000, G01 Y3.000, G01 X8.500, G01 Y11.500, G01 Y8.500"},
      {20, 5, 3, 0.5, "G01 X17.000, G01 X8.500"},
      {6, 6, 3, 0.5, "G01 Y3.000"},
      {5, 5, 3, 0.5, ""},
      {20, 12, 3, 0, "G01 Y9.000, G01 X17.000, G01 Y3.000, G01 X9.000"},
      {-10, -10, 3, 0.5, ""},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(Joined(Layer(DoSpiral, Job(r.x, r.y, r.r, r.c, false))), r.legs) << r.x << " x " << r.y;
  }
}

TEST(DoSpiral, EdgeCleanFollowsTheFaceShape) {
  const struct {
    double x, y;
    bool absolute;
    const char* edge;
  } rows[] = {
      // wider than tall
      {20, 12, false,
       "G00 F1000 Z1.000, G00 X8.500 Y3.000, G01 F120 Z-1.000, G01 X6.000 Y0.000, G01 Y6.000, "
       "G01 X3.000 Y9.000, G00 F1000 Z1.000, G00 X17.000, G01 F120 Z-1.000, G01 X14.000 Y6.000, "
       "G01 X17.000 Y3.000"},
      // square: the same column as a wide face; its first turning point (Y -1) would lie beside the face,
      // so the cutter centre stops on the face's edge
      {10, 10, true,
       "G00 F1000 Z2.000, G00 X8.500 Y3.000, G01 F120 Z-1.000, G01 X5.000 Y0.000, G01 Y5.000, "
       "G01 X3.000 Y7.000, G00 F1000 Z2.000, G00 X7.000, G01 F120 Z-1.000, G01 X5.000 Y5.000, "
       "G01 X7.000 Y3.000"},
      // the default job, taller than wide
      {150, 200, false,
       "G00 F1000 Z1.000, G00 X8.500 Y3.000, G01 F120 Z-1.000, G01 X75.000 Y69.000, G01 X81.000, "
       "G01 X147.000 Y3.000, G00 F1000 Z1.000, G00 Y197.000, G01 F120 Z-1.000, G01 X75.000 Y125.000, "
       "G01 X3.000 Y197.000"},
  };
  for (const auto& r : rows) {
    const auto legs = Layer(DoSpiral, Job(r.x, r.y, 3, 0.5, false, r.absolute));
    auto all = Layer(DoSpiral, Job(r.x, r.y, 3, 0.5, true, r.absolute));
    ASSERT_EQ(all.size(), legs.size() + 11);
    EXPECT_TRUE(std::equal(legs.begin(), legs.end(), all.begin()));
    all.erase(all.begin(), all.begin() + static_cast<long>(legs.size()));
    EXPECT_EQ(Joined(all), r.edge) << r.x << " x " << r.y;
  }
}

TEST(DoSpiral, DefaultJobHasFiftyFourLegs) {
  const auto legs = Layer(DoSpiral, Job(150, 200, 3, 0.5, false));
  ASSERT_EQ(legs.size(), 54u);
  EXPECT_EQ(Joined(std::vector<std::string>(legs.begin(), legs.begin() + 6)),
            "G01 Y197.000, G01 X147.000, G01 Y3.000, G01 X8.500, G01 Y191.500, G01 X141.500");
  EXPECT_EQ(Joined(std::vector<std::string>(legs.end() - 5, legs.end())),
            "G01 X81.000, G01 Y69.000, G01 X74.500, G01 Y125.500, G01 Y74.500");
}

// The centre pass comes between the spiral and the edge clean and changes neither; without it the
// layer is the spiral's own, and the zig-zags do not know it.
TEST(DoSpiral, CentrePassGoesBetweenTheSpiralAndTheEdgeClean) {
  const struct {
    double x, y;
    std::vector<std::string> centre;
  } rows[] = {
      // The plate: the box of its one turn is the whole inner face, rows along X 3 apart (at most 1.5 R);
      // then the four diagonals from the middle out to their corners, the bottom-left one to the end of
      // the first leftward leg; then the notch from there to the start corner. No retract: every move
      // stays where the cutter centre may go.
      {20,
       12,
       {"G01 X3.000 Y3.000", "G01 X17.000", "G01 X17.000 Y6.000", "G01 X3.000", "G01 X3.000 Y9.000",
        "G01 X17.000", "G01 X6.000 Y6.000", "G01 X3.000 Y9.000", "G01 X14.000 Y6.000", "G01 X17.000 Y9.000",
        "G01 X14.000 Y6.000", "G01 X17.000 Y3.000", "G01 X11.500 Y6.000", "G01 X8.500 Y3.000",
        "G01 X3.000 Y3.000"}},
      // A face narrower than the first turn: no room for a notch, the rows only.
      {5, 12, {"G01 X3.000 Y3.000", "G01 Y9.000"}},
  };
  for (const auto& r : rows) {
    TFacingJob plain = Job(r.x, r.y, 3, 0.5, true);
    TFacingJob centre = plain;
    centre.FinishCentre = true;
    const auto without = Layer(DoSpiral, plain);
    const auto with = Layer(DoSpiral, centre);
    TFacingJob spiralOnly = plain;
    spiralOnly.ClearEnd = false;
    const std::size_t legs = Layer(DoSpiral, spiralOnly).size();
    ASSERT_EQ(with.size(), without.size() + r.centre.size()) << r.x;
    EXPECT_EQ(std::vector<std::string>(with.begin(), with.begin() + legs),
              std::vector<std::string>(without.begin(), without.begin() + legs));
    EXPECT_EQ(Joined(std::vector<std::string>(with.begin() + legs, with.begin() + legs + r.centre.size())),
              Joined(r.centre))
        << r.x;
    EXPECT_EQ(std::vector<std::string>(with.end() - (without.size() - legs), with.end()),
              std::vector<std::string>(without.begin() + legs, without.end()));
  }
  for (auto strategy : {DoXZigzag, DoYZigzag}) {
    TFacingJob centre = Job(20, 12, 3, 0.5, true);
    centre.FinishCentre = true;
    EXPECT_EQ(Layer(strategy, centre), Layer(strategy, Job(20, 12, 3, 0.5, true)));
  }
  EXPECT_DOUBLE_EQ(CentrePassStep(3, 0.5), 4.5);
  EXPECT_DOUBLE_EQ(CentrePassStep(3, 2), 4);
}

TEST(Zigzag, WorkedValues) {
  const struct {
    void (*strategy)(const TFacingJob&, TGCodeFile&);
    bool absolute;
    const char* lines;
  } rows[] = {
      {DoXZigzag, false,
       "G01 X17.000, G01 Y8.500, G01 X3.000, G01 Y9.000, G01 X17.000, G01 Y3.000, G00 F1000 Z1.000, "
       "G01 X3.000, G01 F120 Z-1.000, G01 Y9.000"},
      {DoYZigzag, true,
       "G01 Y9.000, G01 X8.500, G01 Y3.000, G01 X14.000, G01 Y9.000, G01 X17.000, G01 Y3.000, G01 X3.000, "
       "G00 F1000 Z2.000, G01 Y9.000, G01 F120 Z-1.000, G01 X17.000"},
  };
  for (const auto& r : rows)
    EXPECT_EQ(Joined(Layer(r.strategy, Job(20, 12, 3, 0.5, true, r.absolute))), r.lines);
}

TEST(Zigzag, EdgeCases) {
  const struct {
    void (*strategy)(const TFacingJob&, TGCodeFile&);
    double x, y;
    bool clearEnd;
    const char* lines;
  } rows[] = {
      // the first advance lands on the last row; the next is clamped back to it
      {DoXZigzag, 20, 11.5, true,
       "G01 X17.000, G01 Y8.500, G01 X3.000, G01 Y8.500, G01 X17.000, G01 Y3.000, G00 F1000 Z1.000, "
       "G01 X3.000, G01 F120 Z-1.000, G01 Y8.500"},
      // face as high as the cutter
      {DoXZigzag, 20, 6, true,
       "G01 X17.000, G01 Y3.000, G01 X3.000, G01 Y3.000, G00 F1000 Z1.000, G01 X17.000, G01 F120 Z-1.000, "
       "G01 Y3.000"},
      // face lower than the cutter: no row, the edge clean ends below the first row
      {DoXZigzag, 20, 5, true,
       "G01 X17.000, G01 Y3.000, G00 F1000 Z1.000, G01 X3.000, G01 F120 Z-1.000, G01 Y2.000"},
      {DoYZigzag, 11.5, 12, true,
       "G01 Y9.000, G01 X8.500, G01 Y3.000, G01 X8.500, G01 Y9.000, G01 X3.000, G00 F1000 Z1.000, "
       "G01 Y3.000, G01 F120 Z-1.000, G01 X8.500"},
      {DoXZigzag, 20, 12, false, "G01 X17.000, G01 Y8.500, G01 X3.000, G01 Y9.000, G01 X17.000"},
      {DoYZigzag, 5, 20, false, "G01 Y17.000"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(Joined(Layer(r.strategy, Job(r.x, r.y, 3, 0.5, r.clearEnd))), r.lines) << r.x << " x " << r.y;
  }
}

TEST(Zigzag, DefaultJobLineCounts) {
  EXPECT_EQ(Layer(DoXZigzag, Job(150, 200, 3, 0.5, true)).size(), 78u);
  EXPECT_EQ(Layer(DoYZigzag, Job(150, 200, 3, 0.5, true)).size(), 60u);
}

// One cut direction: the zig-zags cut every pass the same way and return at retract height along the
// pass just cut, going down onto it before stepping on; the spiral climbs as it is and is mirrored to
// cut conventionally. The plate: rows at Y 3, 8.5 and (clamped) 9, passes from X 3 to 17.
TEST(DoLayer, OneCutDirection) {
  const struct {
    int mode, direction;
    bool clearEnd;
    const char* layer;
  } rows[] = {
      // Along X, the material still standing lies above each pass: towards +X is conventional.
      {kModeXZigzag, kDirectionConventional, false,
       "G01 X17.000, G00 F1000 Z1.000, G00 X3.000, G01 F120 Z-1.000, G01 Y8.500, G01 X17.000, "
       "G00 F1000 Z1.000, G00 X3.000, G01 F120 Z-1.000, G01 Y9.000, G01 X17.000"},
      {kModeXZigzag, kDirectionClimb, false,
       "G00 F1000 Z1.000, G00 X17.000, G01 F120 Z-1.000, G01 X3.000, G00 F1000 Z1.000, G00 X17.000, "
       "G01 F120 Z-1.000, G01 Y8.500, G01 X3.000, G00 F1000 Z1.000, G00 X17.000, G01 F120 Z-1.000, "
       "G01 Y9.000, G01 X3.000"},
      // The sides with the material outside them: down the left one, up the right one.
      {kModeXZigzag, kDirectionClimb, true,
       "G00 F1000 Z1.000, G00 X17.000, G01 F120 Z-1.000, G01 X3.000, G00 F1000 Z1.000, G00 X17.000, "
       "G01 F120 Z-1.000, G01 Y8.500, G01 X3.000, G00 F1000 Z1.000, G00 X17.000, G01 F120 Z-1.000, "
       "G01 Y9.000, G01 X3.000, G01 Y3.000, G00 F1000 Z1.000, G01 X17.000, G01 F120 Z-1.000, G01 Y9.000"},
      // Along Y, the material stands right of a pass towards +Y: that one climbs. Columns at X 3, 8.5,
      // 14 and (clamped) 17, passes from Y 3 to 9.
      {kModeYZigzag, kDirectionClimb, false,
       "G01 Y9.000, G00 F1000 Z1.000, G00 Y3.000, G01 F120 Z-1.000, G01 X8.500, G01 Y9.000, "
       "G00 F1000 Z1.000, G00 Y3.000, G01 F120 Z-1.000, G01 X14.000, G01 Y9.000, "
       "G00 F1000 Z1.000, G00 Y3.000, G01 F120 Z-1.000, G01 X17.000, G01 Y9.000"},
      // The spiral turns clockwise with the middle on its right: climbing already.
      {kModeSpiral, kDirectionClimb, false, "G01 Y9.000, G01 X17.000, G01 Y3.000, G01 X8.500"},
      // Mirrored about the start corner's diagonal: the 12 x 20 spiral's legs with X and Y exchanged.
      {kModeSpiral, kDirectionConventional, false,
       "G01 X17.000, G01 Y9.000, G01 X3.000, G01 Y8.500, G01 X11.500, G01 X8.500"},
  };
  for (const auto& r : rows) {
    TFacingJob job = Job(20, 12, 3, 0.5, r.clearEnd);
    job.Mode = r.mode;
    job.Direction = r.direction;
    EXPECT_EQ(Joined(Layer(DoLayer, job)), r.layer) << r.mode << " " << r.direction;
  }
}

// Both ways and climb leave the spiral as it is, edge clean and centre pass included; the mirrored one
// is the same program with X and Y exchanged.
TEST(DoLayer, ConventionalSpiralIsTheSpiralMirrored) {
  for (bool centre : {false, true}) {
    TFacingJob job = Job(20, 12, 3, 0.5, true);
    job.FinishCentre = centre;
    const auto both = Layer(DoLayer, job);
    job.Direction = kDirectionClimb;
    EXPECT_EQ(Layer(DoLayer, job), both);
    job.Direction = kDirectionConventional;
    TFacingJob tall = Job(12, 20, 3, 0.5, true);
    tall.FinishCentre = centre;
    std::vector<std::string> mirrored;
    for (std::string line : Layer(DoSpiral, tall)) {
      // Exchange the axis letters, then put X first again.
      for (char& c : line) c = c == 'X' ? 'Y' : c == 'Y' ? 'X' : c;
      const auto y = line.find(" Y"), x = line.find(" X");
      if (y != std::string::npos && x != std::string::npos && y < x)
        line = line.substr(0, y) + line.substr(x) + line.substr(y, x - y);
      mirrored.push_back(line);
    }
    EXPECT_EQ(Layer(DoLayer, job), mirrored);
  }
}

namespace {

// The numbers of a program line by their letters, for lines that move.
std::vector<std::pair<char, double>> Words(const std::string& line) {
  std::vector<std::pair<char, double>> words;
  if (line.starts_with('(')) return words;  // a comment: the layer mark
  std::istringstream in(line);
  std::string word;
  while (in >> word)
    if (word.size() > 1) words.emplace_back(word[0], std::stod(word.substr(1)));
  return words;
}

}  // namespace

// The overcut grows the cutter-centre rectangle on every side: the program of a face with an overcut is
// the program of the face that much larger on each side, every X and Y moved back by the overcut, for every
// strategy, the edge clean and the centre pass, in both dialects.
TEST(Overcut, IsTheGrownFaceMovedBack) {
  int compared = 0;
  for (int mode : {kModeSpiral, kModeXZigzag, kModeYZigzag})
    for (double overcut : {0.5, 1.75, 4.0, 9.0})
      for (bool clearEnd : {false, true})
        for (int dialect : {kDialectIso, kDialectGrbl}) {
          TJobEntries e;
          e.XPos = 23.5, e.YPos = 14.25, e.Knit = 6, e.Cross = 1.25, e.Layer = 2, e.Mode = mode;
          e.ClearEnd = clearEnd, e.FinishCentre = mode == kModeSpiral, e.Dialect = dialect;
          e.ZUpAbs = true, e.ZUp = 3;  // no crossing heights that differ between the two faces
          TJobEntries grown = e;
          grown.XPos += 2 * overcut, grown.YPos += 2 * overcut;
          e.Overcut = overcut;
          const auto lines = [](const TJobEntries& job) {
            TGCodeMemorySink sink;
            TGCodeFile list(sink);
            WriteProgram({CheckJob(job), {}, "/tmp/face.nc", "2011-06-18 14:05"}, list);
            return sink.Lines();
          };
          const auto with = lines(e), without = lines(grown);
          ASSERT_EQ(with.size(), without.size());
          for (std::size_t i = 4; i < with.size(); ++i) {  // past the header, which names the real face
            const auto a = Words(with[i]), b = Words(without[i]);
            ASSERT_EQ(a.size(), b.size()) << with[i] << " | " << without[i];
            for (std::size_t w = 0; w < a.size(); ++w) {
              ASSERT_EQ(a[w].first, b[w].first) << with[i];
              const double shift = a[w].first == 'X' || a[w].first == 'Y' ? overcut : 0;
              EXPECT_NEAR(a[w].second, b[w].second - shift, 0.0011) << with[i] << " | " << without[i];
            }
            ++compared;
          }
        }
  EXPECT_GT(compared, 1000);
}
