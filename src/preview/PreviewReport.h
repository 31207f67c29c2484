#pragma once
// The preview without a window: the figures as "Label: value" lines or as JSON, and the drawing as an SVG
// file.

#include <filesystem>
#include <ostream>

#include "toolpath/FacingJob.h"

enum class TFigureFormat { ffText, ffJson };

// Writes the drawing of every layer (with the first layer's swept band and uncut cells) to `svg` unless it
// is empty, and the figures to `out` when `stats` is set, as text lines or as one JSON object. Raises
// EDVError for a refused job, a program too large to draw, or a file that cannot be written.
void WritePreviewReport(const TJobEntries& entries, const std::filesystem::path& svg, bool stats,
                        double rapidRate, std::ostream& out, TFigureFormat format = TFigureFormat::ffText);
