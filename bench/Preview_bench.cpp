// The preview's costs: the uncut area of a 3000 x 2000 face (under a second wanted), the preview of the
// window's default job from entries to scene and SVG (under 100 ms wanted), and the figures of a
// 4-million-line program against the time it takes to write it (a few times that wanted).

#include <benchmark/benchmark.h>

#include <string_view>

#include "preview/PreviewSvg.h"
#include "preview/ToolpathPreview.h"
#include "toolpath/GenerateCode.h"

namespace {

TJobEntries LargeFace(int mode, double diameter, double overlap) {
  TJobEntries e;
  e.XPos = 3000;
  e.YPos = 2000;
  e.Knit = diameter;
  e.Cross = overlap;
  e.Mode = mode;
  return e;
}

void UncutArea(benchmark::State& state, const TJobEntries& job) {
  const TToolpathPreview p = BuildPreview(CheckJob(job), false);
  const TLayerPath& layer = p.Layers.back();
  double share = 0;
  for (auto _ : state) {
    const TUncutArea u = ComputeUncutArea(p.Face, p.Radius, layer.Moves, layer.CutLevel());
    share = u.Share();
    benchmark::DoNotOptimize(share);
  }
  state.counters["moves"] = static_cast<double>(layer.Moves.size());
  state.counters["uncut_pct"] = share * 100;
}

void BM_UncutSpiral3000x2000(benchmark::State& state) {
  UncutArea(state, LargeFace(kModeSpiral, 6, 0.5));
}
void BM_UncutXZigzag3000x2000(benchmark::State& state) {
  UncutArea(state, LargeFace(kModeXZigzag, 6, 0.5));
}
void BM_UncutYZigzagSmallCutter3000x2000(benchmark::State& state) {
  UncutArea(state, LargeFace(kModeYZigzag, 0.5, 0.05));
}

// The zig-zag along Y over 3000 x 2000 with a 0.1 mm cutter 0.0015 apart: 2 million passes, 4 million
// lines, each pass across every row of the raster.
TJobEntries FourMillionLinesAlongY() {
  return LargeFace(kModeYZigzag, 0.1, 0.0985);
}

// Counts the bytes as a file would take them, CR LF included.
class TCountingSink final : public TGCodeSink {
 public:
  void AddLine(std::string_view line) override { bytes += line.size() + 2; }
  std::uint64_t bytes = 0;
};

// Writing the program, without the disk: what the figures are measured against.
void BM_WriteFourMillionLinesAlongY(benchmark::State& state) {
  const TJobEntries job = FourMillionLinesAlongY();
  std::uint64_t bytes = 0;
  for (auto _ : state) {
    TCountingSink sink;
    TGCodeFile list(sink);
    WriteProgram({CheckJob(job), {}, {}, "0000-00-00 00:00"}, list);
    bytes = sink.bytes;
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

// The figures of --stats for the same program: read back and swept into the raster as it is written.
void BM_FiguresFourMillionLinesAlongY(benchmark::State& state) {
  const TJobEntries job = FourMillionLinesAlongY();
  std::uint64_t lines = 0;
  for (auto _ : state) {
    const TProgramMeasure m = MeasureProgram(CheckJob(job));
    lines = m.Figures.Lines;
    benchmark::DoNotOptimize(m.Uncut.UncutArea);
  }
  state.counters["lines"] = static_cast<double>(lines);
}

// The same along X: the cost must not depend on the direction of the passes.
void BM_FiguresFourMillionLinesAlongX(benchmark::State& state) {
  TJobEntries job = FourMillionLinesAlongY();
  job.Mode = kModeXZigzag;
  job.XPos = 2000;
  job.YPos = 3000;
  for (auto _ : state) benchmark::DoNotOptimize(MeasureProgram(CheckJob(job)).Uncut.UncutArea);
}

// What the window does when it opens on its default job: build, read back, scene with the uncut area.
void BM_PreviewDefaultJob(benchmark::State& state) {
  for (auto _ : state) {
    const TToolpathPreview p = BuildPreview(CheckJob(TJobEntries{}));
    const TPreviewScene scene = BuildScene(p, p.Layers.size() - 1, false);
    benchmark::DoNotOptimize(scene.Uncut.UncutArea);
  }
}

void BM_PreviewDefaultJobSvg(benchmark::State& state) {
  const TToolpathPreview p = BuildPreview(CheckJob(TJobEntries{}));
  const TPreviewScene scene = BuildScene(p, 0, true);
  const auto rows = FigureRows(FigureValues(p.Figures, kDefaultRapidRate, scene.Uncut, 0));
  for (auto _ : state) benchmark::DoNotOptimize(PreviewSvg(scene, rows));
}

}  // namespace

BENCHMARK(BM_UncutSpiral3000x2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UncutXZigzag3000x2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UncutYZigzagSmallCutter3000x2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteFourMillionLinesAlongY)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FiguresFourMillionLinesAlongY)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FiguresFourMillionLinesAlongX)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewDefaultJob)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewDefaultJobSvg)->Unit(benchmark::kMillisecond);
