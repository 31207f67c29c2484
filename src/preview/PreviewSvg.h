#pragma once
// The preview drawing as an SVG document: face outline, swept band, uncut cells (those inside the face in a
// colour of their own, apart from the corners no round cutter reaches), the cutter-centre paths
// of each layer (feed solid, rapid dashed, feed moves at retract height in their own colour), the start
// point, the figures below and a legend of the colours under them.

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "preview/ToolpathPreview.h"

[[nodiscard]] std::string PreviewSvg(const TPreviewScene& scene,
                                     const std::vector<std::pair<std::string, std::string>>& figures);

// Written through the safe file writer: raises EDVError "Cannot create file ..." or "Stream write error".
void WritePreviewSvg(const std::filesystem::path& target, const TPreviewScene& scene,
                     const std::vector<std::pair<std::string, std::string>>& figures);
