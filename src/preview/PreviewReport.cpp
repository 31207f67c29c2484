#include "preview/PreviewReport.h"

#include "preview/PreviewSvg.h"
#include "preview/ToolpathPreview.h"

void WritePreviewReport(const TJobEntries& entries, const std::filesystem::path& svg, bool stats,
                        double rapidRate, std::ostream& out) {
  // Figures alone keep only the last layer, so they work for any program the generator writes.
  const TToolpathPreview preview = BuildPreview(entries, !svg.empty());
  const std::size_t last = preview.Layers.size() - 1;
  const TPreviewScene scene = BuildScene(preview, last, true);
  const auto rows = FigureRows(preview.Figures, rapidRate, scene.Uncut.Share(), scene.Layer);
  if (!svg.empty()) WritePreviewSvg(svg, scene, rows);
  if (stats) {
    for (const auto& [label, value] : rows) out << label << ": " << value << "\n";
  }
}
