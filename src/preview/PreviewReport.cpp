#include "preview/PreviewReport.h"

#include "preview/PreviewSvg.h"
#include "preview/ToolpathPreview.h"

TPreviewReport MakePreviewReport(const TJobEntries& entries, bool svg, double rapidRate) {
  // Figures alone keep only the last layer, so they work for any program the generator writes.
  const TToolpathPreview preview = BuildPreview(entries, svg);
  const std::size_t last = preview.Layers.size() - 1;
  const TPreviewScene scene = BuildScene(preview, last, true);
  TPreviewReport report;
  report.Figures = FigureRows(preview.Figures, rapidRate, scene.Uncut.Share(), scene.Layer);
  if (svg) report.Svg = PreviewSvg(scene, report.Figures);
  return report;
}
