#include "preview/PreviewReport.h"

#include "preview/PreviewSvg.h"
#include "preview/ToolpathPreview.h"

TPreviewReport MakePreviewReport(const TJobEntries& entries, bool svg, double rapidRate) {
  // Figures alone keep only the first layer, so they work for any program the generator writes. The
  // first layer is the one that meets the face's top: what it leaves is what the face shows.
  const TToolpathPreview preview = BuildPreview(entries, svg);
  const TPreviewScene scene = BuildScene(preview, 0, true);
  const TFigureValues values = FigureValues(preview.Figures, rapidRate, scene.Uncut, scene.Layer);
  TPreviewReport report;
  report.Figures = FigureRows(values);
  report.Json = FigureJson(values);
  if (svg) report.Svg = PreviewSvg(scene, report.Figures);
  return report;
}
