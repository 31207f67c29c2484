#include "preview/PreviewReport.h"

#include <utility>

#include "preview/PreviewSvg.h"
#include "preview/ToolpathPreview.h"

TPreviewReport MakePreviewReport(const TCheckedJob& job, bool svg, double rapidRate,
                                 const TReadProgress& progress) {
  // The first layer is the one that meets the face's top: what it leaves is what the face shows.
  TPreviewReport report;
  if (!svg) {
    // Figures alone keep no move, so they work for any program the generator writes, in the memory of
    // the raster alone.
    const TProgramMeasure measure = MeasureProgram(job, kDefaultCellBudget, progress);
    const TFigureValues values = FigureValues(measure.Figures, rapidRate, measure.Uncut, 0);
    report.Figures = FigureRows(values);
    report.Json = FigureJson(values);
    return report;
  }
  const TToolpathPreview preview = BuildPreview(job, svg, progress);
  const TPreviewScene scene = BuildScene(preview, 0, true);
  const TFigureValues values = FigureValues(preview.Figures, rapidRate, scene.Uncut, scene.Layer);
  report.Figures = FigureRows(values);
  report.Json = FigureJson(values);
  // The drawing carries what the window shows: the figures and where the cutter centre goes.
  auto rows = report.Figures;
  for (auto& row : ExtentRows(values)) rows.push_back(std::move(row));
  report.Svg = PreviewSvg(scene, rows);
  return report;
}
