// The preview window on the window's default job, offscreen: from the entries to a painted window.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

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

// Painting the scene alone at the window's size.
void BM_PaintDefaultJob(benchmark::State& state) {
  const TToolpathPreview p = BuildPreview(TJobEntries{});
  const TPreviewScene scene = BuildScene(p, 0, false);
  QImage image(720, 620, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintPreviewScene(painter, scene, QRectF(10, 10, 700, 600));
  }
}

}  // namespace

BENCHMARK(BM_PreviewWindowDefaultJob)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintDefaultJob)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
