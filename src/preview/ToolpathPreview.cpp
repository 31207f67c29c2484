#include "preview/ToolpathPreview.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "dvTools/dvError.h"
#include "toolpath/GenerateCode.h"
#include "toolpath/ProgramLimits.h"

namespace {

constexpr double kLevelTolerance = 1e-6;

std::string Fixed(double value, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  return buffer;
}

void Include(TRectMM& r, double x, double y) {
  r.X0 = std::min(r.X0, x);
  r.Y0 = std::min(r.Y0, y);
  r.X1 = std::max(r.X1, x);
  r.Y1 = std::max(r.Y1, y);
}

}  // namespace

TToolpathPreview BuildPreview(const TJobEntries& entries, bool everyLayer) {
  CheckJob(entries);
  if (everyLayer) {
    const double lines = EstimateProgramLines(entries);
    if (lines > kMaxPreviewLines) {
      throw EDVError("The program would have about " + std::to_string(static_cast<long long>(lines)) +
                     " lines, too many to draw (at most " +
                     std::to_string(static_cast<long long>(kMaxPreviewLines)) + ")");
    }
  }
  TPreviewSink sink(everyLayer);
  TGCodeFile list(sink);
  // The header's path and time do not change a single move.
  WriteProgram({entries, {}, {}, "0000-00-00 00:00"}, list);
  TToolpathPreview preview;
  preview.Face = FaceRect(entries.XPos, entries.YPos);
  preview.Radius = entries.Knit / 2;
  preview.Figures = sink.Figures();
  preview.Layers = sink.Layers();
  return preview;
}

TPreviewScene BuildScene(const TToolpathPreview& preview, std::size_t layer, bool allPaths,
                         std::size_t cellBudget) {
  TPreviewScene scene;
  scene.Face = preview.Face;
  scene.Radius = std::max(preview.Radius, 0.0);
  scene.Bounds = preview.Face;
  if (layer >= preview.Layers.size()) return scene;
  const TLayerPath& shown = preview.Layers[layer];
  scene.Layer = shown.Index;
  const double level = shown.CutLevel();
  scene.Swept = CuttingSegments(shown.Moves, level);
  scene.Uncut = ComputeUncutArea(preview.Face, preview.Radius, shown.Moves, level, cellBudget);
  scene.HasStart = shown.StartPoint(scene.StartX, scene.StartY);

  for (const TLayerPath& path : preview.Layers) {
    if (!allPaths && &path != &shown) continue;
    const double pathLevel = path.CutLevel();
    for (const TMove& m : path.Moves) {
      if (!m.Planar()) continue;
      TPathStyle style = TPathStyle::psRapid;
      if (m.Kind == TMoveKind::mkFeed) {
        const bool lifted = m.From.Z > pathLevel + kLevelTolerance && m.To.Z > pathLevel + kLevelTolerance;
        style = lifted ? TPathStyle::psLiftedFeed : TPathStyle::psFeed;
      }
      scene.Paths.push_back({{m.From.X, m.From.Y, m.To.X, m.To.Y}, style, path.Index});
      Include(scene.Bounds, m.From.X, m.From.Y);
      Include(scene.Bounds, m.To.X, m.To.Y);
    }
  }
  for (const TSegmentMM& s : scene.Swept) {
    Include(scene.Bounds, std::min(s.X0, s.X1) - scene.Radius, std::min(s.Y0, s.Y1) - scene.Radius);
    Include(scene.Bounds, std::max(s.X0, s.X1) + scene.Radius, std::max(s.Y0, s.Y1) + scene.Radius);
  }
  return scene;
}

std::string FormatMinutes(double minutes) {
  if (!std::isfinite(minutes) || minutes < 0) return "unknown";
  const double total = std::round(minutes * 60);
  const long long seconds = static_cast<long long>(total);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return buffer;
}

TFigureValues FigureValues(const TProgramFigures& f, double rapidRate, double uncutShare, int layer) {
  TFigureValues v;
  v.Lines = f.Lines;
  v.Layers = f.Layers;
  v.FeedLength = f.FeedLength;
  v.RapidLength = f.RapidLength;
  v.RapidRate = rapidRate;
  v.CycleMinutes = f.CycleMinutes(rapidRate);
  v.Cycle = std::isfinite(v.CycleMinutes) ? TCycleTime::ctKnown
            : !f.FeedTimeKnown            ? TCycleTime::ctFeedUnknown
                                          : TCycleTime::ctNoRapidRate;
  if (v.Cycle != TCycleTime::ctKnown) v.CycleMinutes = std::numeric_limits<double>::quiet_NaN();
  v.UncutShare = uncutShare;
  v.Layer = layer;
  return v;
}

std::vector<std::pair<std::string, std::string>> FigureRows(const TProgramFigures& f, double rapidRate,
                                                            double uncutShare, int layer) {
  const TFigureValues v = FigureValues(f, rapidRate, uncutShare, layer);
  std::string time = FormatMinutes(v.CycleMinutes);
  switch (v.Cycle) {
    case TCycleTime::ctKnown:
      time += " (" + Fixed(v.CycleMinutes, 2) + " min)";
      break;
    case TCycleTime::ctFeedUnknown:
      time += " (a feed of zero or less)";
      break;
    case TCycleTime::ctNoRapidRate:
      time += " (the rapid rate must be above zero)";
      break;
  }
  return {
      {"Lines", std::to_string(v.Lines)},
      {"Layers", std::to_string(v.Layers)},
      {"Feed path", Fixed(v.FeedLength, 3) + " mm"},
      {"Rapid path", Fixed(v.RapidLength, 3) + " mm"},
      {"Rapid rate", Fixed(v.RapidRate, 0) + " mm/min"},
      {"Cycle time", time},
      {"Left uncut",
       Fixed(v.UncutShare * 100, 2) + " % of the face (layer " + std::to_string(v.Layer + 1) + ")"},
  };
}
