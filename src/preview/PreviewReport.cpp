#include "preview/PreviewReport.h"

#include "preview/PreviewSvg.h"
#include "preview/ToolpathPreview.h"

void WritePreviewReport(const TJobEntries& entries, const std::filesystem::path& svg, bool stats,
                        double rapidRate, std::ostream& out, TFigureFormat format) {
  // Figures alone keep only the first layer, so they work for any program the generator writes. The
  // first layer is the one that meets the face's top: what it leaves is what the face shows.
  const TToolpathPreview preview = BuildPreview(entries, !svg.empty());
  const TPreviewScene scene = BuildScene(preview, 0, true);
  const TFigureValues values = FigureValues(preview.Figures, rapidRate, scene.Uncut, scene.Layer);
  if (!svg.empty()) WritePreviewSvg(svg, scene, FigureRows(values));
  if (!stats) return;
  if (format == TFigureFormat::ffJson) {
    out << FigureJson(values);
  } else {
    for (const auto& [label, value] : FigureRows(values)) out << label << ": " << value << "\n";
  }
}
