// The preview's costs: the uncut area of a 3000 x 2000 face (under a second wanted), and the preview of
// the window's default job from entries to scene and SVG (under 100 ms wanted).

#include <benchmark/benchmark.h>

#include "preview/PreviewSvg.h"
#include "preview/ToolpathPreview.h"

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
  const TToolpathPreview p = BuildPreview(job, false);
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

// What the window does when it opens on its default job: build, read back, scene with the uncut area.
void BM_PreviewDefaultJob(benchmark::State& state) {
  for (auto _ : state) {
    const TToolpathPreview p = BuildPreview(TJobEntries{});
    const TPreviewScene scene = BuildScene(p, p.Layers.size() - 1, false);
    benchmark::DoNotOptimize(scene.Uncut.UncutArea);
  }
}

void BM_PreviewDefaultJobSvg(benchmark::State& state) {
  const TToolpathPreview p = BuildPreview(TJobEntries{});
  const TPreviewScene scene = BuildScene(p, 0, true);
  const auto rows = FigureRows(FigureValues(p.Figures, kDefaultRapidRate, scene.Uncut, 0));
  for (auto _ : state) benchmark::DoNotOptimize(PreviewSvg(scene, rows));
}

}  // namespace

BENCHMARK(BM_UncutSpiral3000x2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UncutXZigzag3000x2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UncutYZigzagSmallCutter3000x2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewDefaultJob)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewDefaultJobSvg)->Unit(benchmark::kMillisecond);
