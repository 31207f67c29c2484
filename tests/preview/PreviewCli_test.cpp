#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QXmlStreamReader>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "TempDir.h"

namespace {

struct TResult {
  int exitCode = -1;
  std::string out;
};

// Runs the built skimplane-cli with the given arguments (no display needed), stdout and stderr together.
TResult RunCli(const std::string& args) {
  const std::string command =
      std::string("env -u DISPLAY -u WAYLAND_DISPLAY " SKIMPLANE_BIN_DIR "/skimplane-cli ") + args + " 2>&1";
  TResult r;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return r;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) r.out.append(buffer, n);
  const int status = ::pclose(pipe);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

const std::string kPlate = "--x 20 --y 12 --layers 2 ";

TEST(PreviewCli, StatsOfTheWorkedExample) {
  const struct {
    std::string args;
    std::string cycle;
  } rows[] = {
      {"", "Cycle time: 0:01:05 (1.09 min)\n"},
      // 128.266 mm at F120, 14 mm at F1000 and 42 mm rapid at 500 mm/min: 70.0 s
      {"--rapid-rate 500 ", "Cycle time: 0:01:10 (1.17 min)\n"},
  };
  for (const auto& row : rows) {
    const TResult r = RunCli(kPlate + row.args + "--stats");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out, "Lines: 48\nLayers: 2\nFeed path: 142.266 mm\nRapid path: 42.000 mm\nRapid rate: " +
                         std::string(row.args.empty() ? "5000" : "500") + " mm/min\n" + row.cycle +
                         "Left uncut inside: 0.000 mm\u00B2 (0.00 % of the face, layer 1)\n"
                         "Left uncut in the corners: 7.726 mm\u00B2 (3.22 % of the face, layer 1)\n")
        << row.args;
  }
}

// --stats --json prints one JSON object that a JSON parser reads, with the keys scripts rely on.
TEST(PreviewCli, StatsAsJson) {
  const struct {
    std::string args;
    double lines, feed, rapid, cycle, face, inside, corner;
    double extents[6];  // x_min, x_max, y_min, y_max, z_min, z_max
  } rows[] = {
      {kPlate, 48, 142.266, 42, 1.0913, 240, 0, 7.726, {3, 17, 0, 9, -2, 2}},
      // The window's default job: the fin and the notch the spiral leaves inside.
      {"", 79, 5861.677, 298.305, 48.907, 30000, 29.5, 7.726, {3, 147, 3, 197, -1, 2}},
  };
  for (const auto& row : rows) {
    const TResult r = RunCli(row.args + "--stats --json");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << "\n" << r.out;
    ASSERT_TRUE(doc.isObject()) << r.out;
    const QJsonObject o = doc.object();
    const struct {
      const char* key;
      double value, tolerance;
    } keys[] = {{"lines", row.lines, 0},
                {"feed_path_mm", row.feed, 1e-9},
                {"rapid_path_mm", row.rapid, 1e-9},
                {"cycle_time_min", row.cycle, 1e-3},
                {"face_mm2", row.face, 0},
                {"uncut_interior_mm2", row.inside, 0.5},
                {"uncut_corner_mm2", row.corner, 1e-9}};
    for (const auto& k : keys) {
      ASSERT_TRUE(o.value(QLatin1String(k.key)).isDouble()) << k.key << "\n" << r.out;
      EXPECT_NEAR(o.value(QLatin1String(k.key)).toDouble(), k.value, k.tolerance) << k.key;
    }
    const QJsonObject e = o.value(QLatin1String("extents")).toObject();
    const char* names[] = {"x_min", "x_max", "y_min", "y_max", "z_min", "z_max"};
    for (int i = 0; i < 6; ++i) {
      ASSERT_TRUE(e.value(QLatin1String(names[i])).isDouble()) << names[i] << "\n" << r.out;
      EXPECT_DOUBLE_EQ(e.value(QLatin1String(names[i])).toDouble(), row.extents[i]) << names[i];
    }
  }
  // JSON goes with the figures only.
  const TResult alone = RunCli("--json -o /dev/null");
  EXPECT_EQ(alone.exitCode, 2) << alone.out;
  EXPECT_NE(alone.out.find("--json requires --stats"), std::string::npos) << alone.out;
}

// --finish-centre clears what the window's default job leaves inside; the program without it is the
// default one, byte for byte but for the header's file name.
TEST(PreviewCli, FinishCentreClearsTheDefaultJobsInside) {
  const TResult with = RunCli("--finish-centre --stats --json");
  ASSERT_EQ(with.exitCode, 0) << with.out;
  const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(with.out)).object();
  EXPECT_EQ(o.value(QLatin1String("uncut_interior_mm2")).toDouble(-1), 0) << with.out;
  EXPECT_EQ(o.value(QLatin1String("uncut_corner_mm2")).toDouble(-1), 7.726) << with.out;
  EXPECT_GT(o.value(QLatin1String("lines")).toDouble(), 79) << with.out;

  TempDir dir;
  const std::string plain = (dir / "plain.nc").string(), centre = (dir / "centre.nc").string();
  ASSERT_EQ(RunCli("--time \"2011-06-18 14:05\" -o " + plain).exitCode, 0);
  ASSERT_EQ(RunCli("--time \"2011-06-18 14:05\" --finish-centre -o " + centre).exitCode, 0);
  std::string a = ReadBytes(plain), b = ReadBytes(centre);
  EXPECT_EQ(std::count(a.begin(), a.end(), '\n'), 79);
  EXPECT_GT(std::count(b.begin(), b.end(), '\n'), 79);
  // Along X (and Y) there is no spiral to finish: the same program.
  ASSERT_EQ(RunCli("--time \"2011-06-18 14:05\" --strategy x -o " + plain).exitCode, 0);
  ASSERT_EQ(RunCli("--time \"2011-06-18 14:05\" --strategy x --finish-centre -o " + centre).exitCode, 0);
  // From the fourth line on: the third names the file.
  const auto afterPath = [](const std::string& text) {
    std::size_t at = 0;
    for (int i = 0; i < 3 && at != std::string::npos; ++i) at = text.find("\r\n", at) + 2;
    return text.substr(std::min(at, text.size()));
  };
  EXPECT_EQ(afterPath(ReadBytes(plain)), afterPath(ReadBytes(centre)));
}

TEST(PreviewCli, PreviewFileWithOrWithoutTheProgram) {
  TempDir dir;
  const std::string svg = (dir / "plate.svg").string();
  const std::string nc = (dir / "plate.nc").string();
  const struct {
    std::string args;
    bool program;
  } rows[] = {{"--preview " + svg, false}, {"--preview " + svg + " -o " + nc, true}};
  for (const auto& row : rows) {
    std::filesystem::remove(svg);
    std::filesystem::remove(nc);
    const TResult r = RunCli(kPlate + row.args);
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out, "");
    QXmlStreamReader xml(QByteArray::fromStdString(ReadBytes(svg)));
    int lines = 0;
    while (!xml.atEnd())
      if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QStringLiteral("line")) ++lines;
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(lines, 21 + 9);  // the paths of both layers and the last layer's swept band
    EXPECT_EQ(std::filesystem::exists(nc), row.program) << row.args;
  }
}

TEST(PreviewCli, FailuresAndRefusals) {
  TempDir dir;
  WriteBytes(dir / "old.svg", "old drawing");
  const struct {
    std::string args;
    int exitCode;
    std::string message;
  } rows[] = {
      {"--x 20", 2, "--output is required"},
      {"--stats --rapid-rate 0", 2, "--rapid-rate"},
      {"--stats --rapid-rate -5", 2, "--rapid-rate"},
      {"--stats --diameter 1 --overlap 1", 1, "The pass step"},
      {"--preview " + (dir / "no" / "such.svg").string(), 1, "Cannot create file"},
      {"--preview " + (dir / "old.svg").string() + " --x 3000 --y 2000 --layers 5000", 1, "too many to draw"},
  };
  for (const auto& row : rows) {
    const TResult r = RunCli(row.args);
    EXPECT_EQ(r.exitCode, row.exitCode) << row.args << "\n" << r.out;
    EXPECT_NE(r.out.find(row.message), std::string::npos) << row.args << "\n" << r.out;
  }
  EXPECT_EQ(ReadBytes(dir / "old.svg"), "old drawing");
  // The figures of a program far too large to draw are still given.
  const TResult big = RunCli("--stats --x 3000 --y 2000 --layers 5000");
  EXPECT_EQ(big.exitCode, 0) << big.out;
  EXPECT_NE(big.out.find("Layers: 5000\n"), std::string::npos) << big.out;
}

}  // namespace

// A program in either dialect is the same toolpath: every figure but the line count agrees.
TEST(PreviewCli, BothDialectsGiveTheSameFigures) {
  int compared = 0;
  for (const std::string strategy : {"spiral", "x", "y"})
    for (const std::string extra : {"", "--layers 3", "--layers 3 --absolute-retract",
                                    "--finish-centre --layers 2", "--no-edge-clean --x 40 --y 25"}) {
      const std::string args = "--strategy " + strategy + " " + extra + " --stats --json";
      const TResult iso = RunCli(args);
      const TResult grbl = RunCli(args + " --dialect grbl --coolant flood --dwell 1");
      ASSERT_EQ(iso.exitCode, 0) << iso.out;
      ASSERT_EQ(grbl.exitCode, 0) << grbl.out;
      QJsonObject a = QJsonDocument::fromJson(QByteArray::fromStdString(iso.out)).object();
      QJsonObject b = QJsonDocument::fromJson(QByteArray::fromStdString(grbl.out)).object();
      ASSERT_TRUE(a.contains(QLatin1String("layers")) && a.contains(QLatin1String("uncut_interior_mm2")))
          << iso.out;
      EXPECT_NE(a.value(QLatin1String("lines")), b.value(QLatin1String("lines")));
      a.remove(QLatin1String("lines"));
      b.remove(QLatin1String("lines"));
      EXPECT_EQ(a, b) << args << "\n" << iso.out << "\n" << grbl.out;
      ++compared;
    }
  EXPECT_EQ(compared, 15);
}
