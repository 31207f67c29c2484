// The preview window on the window's default job, offscreen: from the entries to a painted window.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <fstream>

#include "app/PreviewPainter.h"
#include "app/PreviewWindow.h"

namespace {

// Building the preview and painting the window once: what the user waits for after pressing the button.
void BM_PreviewWindowDefaultJob(benchmark::State& state) {
  for (auto _ : state) {
    TPreviewWindow window;
    window.resize(1000, 650);
    window.SetJob(TJobEntries{});
    QImage image = window.grab().toImage();
    benchmark::DoNotOptimize(image.bits());
  }
}

// Painting a job's scene alone at the window's size.
void PaintJob(benchmark::State& state, const TJobEntries& job) {
  const TToolpathPreview p = BuildPreview(CheckJob(job));
  const TPreviewScene scene = BuildScene(p, 0, false);
  QImage image(720, 620, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintPreviewScene(painter, scene, QRectF(10, 10, 700, 600));
  }
}

void BM_PaintDefaultJob(benchmark::State& state) {
  PaintJob(state, TJobEntries{});
}

// A zig-zag along Y of a million lines (3000 x 2000, diameter 0.1, passes 0.006 apart): where the
// window's progress dialog starts.
TJobEntries MillionLines() {
  TJobEntries e;
  e.XPos = 3000;
  e.YPos = 2000;
  e.Knit = 0.1;
  e.Cross = 0.094;
  e.Mode = kModeYZigzag;
  return e;
}

// From the entries to the window's drawing data, without the dialog.
void BM_PreviewWindowMillionLines(benchmark::State& state) {
  TPreviewWindow window;
  window.Progress.MinLines = 1e12;
  window.resize(1000, 650);
  for (auto _ : state) {
    window.SetJob(MillionLines());
    benchmark::DoNotOptimize(window.Scene().Uncut.UncutArea);
  }
  state.counters["lines"] = static_cast<double>(window.Preview().Figures.Lines);
}

// Painting it: half a million passes a hair apart on some 700 pixels.
void BM_PaintMillionLines(benchmark::State& state) {
  PaintJob(state, MillionLines());
}

// The process's resident memory now, MB (Linux).
double ResidentMB() {
  std::ifstream statm("/proc/self/statm");
  double size = 0, resident = 0;
  statm >> size >> resident;
  return resident * 4096 / 1e6;
}

// The window opened on a zig-zag like the million-line job's with passes range(0) tenths of a micrometre
// apart (60: a million lines, 35: 1.7 million, near the most the window draws), painted and closed:
// the process's resident memory before it opened, while it is open and once it is closed. Closed, the
// window should give back what the job took (within 100 MB of the size before).
void BM_PreviewWindowMemoryAfterClose(benchmark::State& state) {
  for (auto _ : state) {
    QWidget main;
    const double before = ResidentMB();
    auto* window = new TPreviewWindow(&main);
    window->Progress.MinLines = 1e12;
    window->resize(1000, 650);
    TJobEntries job = MillionLines();
    job.Cross = job.Knit - static_cast<double>(state.range(0)) * 1e-4;
    window->SetJob(job);
    window->show();
    QImage image = window->grab().toImage();
    benchmark::DoNotOptimize(image.bits());
    const double open = ResidentMB();
    state.counters["lines"] = static_cast<double>(window->Preview().Figures.Lines);
    window->close();
    QCoreApplication::processEvents();
    const double closed = ResidentMB();
    state.counters["before_MB"] = before;
    state.counters["open_MB"] = open;
    state.counters["closed_MB"] = closed;
  }
}

}  // namespace

BENCHMARK(BM_PreviewWindowMemoryAfterClose)->Arg(60)->Arg(35)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewWindowDefaultJob)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintDefaultJob)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewWindowMillionLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintMillionLines)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
