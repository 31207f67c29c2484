#pragma once
// The preview's figures and extents as the window shows them.

#include <QString>

#include "app/PreviewCaptions.h"
#include "preview/ToolpathPreview.h"

// The figures as the window shows them, one "标签：值" line each (in a pack's words when it gives them).
[[nodiscard]] QString PreviewFigureText(const TFigureValues& values, const TPreviewCaptions& captions = {});

// Where the cutter centre goes, one "标签：值" line per axis (in a pack's words when it gives them).
[[nodiscard]] QString PreviewExtentText(const TFigureValues& values, const TPreviewCaptions& captions = {});
