#pragma once
// The preview without a window: the figures as "Label: value" lines or as JSON, and the drawing as an SVG
// document.

#include <string>
#include <utility>
#include <vector>

#include "preview/ToolpathPreview.h"
#include "toolpath/ProgramLimits.h"

struct TPreviewReport {
  std::string Svg;  // empty unless asked for
  std::vector<std::pair<std::string, std::string>> Figures;
  std::string Json;  // the same figures as one JSON object
};

// Builds the drawing of every layer (with the first layer's swept band and uncut cells) when `svg` is set,
// and the figures, all in memory, so that a caller can refuse before it writes any file. Raises EDVError
// for a program too large to draw. `progress` is told the lines read back so far (an exception thrown from
// it stops the work).
[[nodiscard]] TPreviewReport MakePreviewReport(const TCheckedJob& job, bool svg, double rapidRate,
                                               const TReadProgress& progress = {});
