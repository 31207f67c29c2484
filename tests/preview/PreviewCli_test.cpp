#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QXmlStreamReader>

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
                         "Left uncut: 3.22 % of the face (layer 2)\n")
        << row.args;
  }
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
