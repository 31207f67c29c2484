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

TToolpathPreview BuildPreview(const TCheckedJob& job, bool everyLayer, const TReadProgress& progress) {
  const TJobEntries& entries = job.Entries();
  if (everyLayer) {
    const double lines = job.EstimatedLines();
    if (lines > kMaxPreviewLines) {
      throw EDVError(MessageOf("PreviewTooManyLines",
                               "The program would have about %1 lines, too many to draw (at most %2)",
                               {MessageValue(std::to_string(static_cast<long long>(lines))),
                                MessageValue(std::to_string(static_cast<long long>(kMaxPreviewLines)))}));
    }
  }
  TPreviewSink sink(everyLayer);
  if (progress.Tick) sink.SetTick(progress.Tick, progress.Every);
  TGCodeFile list(sink);
  // The header's path and time do not change a single move.
  WriteProgram({job, {}, {}, "0000-00-00 00:00"}, list);
  TToolpathPreview preview;
  preview.Face = FaceRect(entries.XPos, entries.YPos);
  preview.Radius = entries.Knit / 2;
  preview.Figures = sink.Figures();
  preview.Figures.FinishingLayer = entries.FinishDepth > 0;
  preview.Figures.Overcut = entries.Overcut > 0;
  preview.Layers = sink.TakeLayers();
  if (preview.Figures.FinishingLayer && everyLayer) preview.FinishLayer = preview.Figures.Layers - 1;
  return preview;
}

void TFirstLevelMeasure::OnMove(const TMove& move) {
  // Later layers may sweep another area (a finishing layer): the figures are the first level's.
  if (move.Layer == 0) sweep_.Add(move);
}

TProgramMeasure MeasureProgram(const TCheckedJob& job, std::size_t cellBudget,
                               const TReadProgress& progress) {
  const TJobEntries& entries = job.Entries();
  TFirstLevelMeasure sink(FaceRect(entries.XPos, entries.YPos), entries.Knit / 2, cellBudget);
  if (progress.Tick) sink.SetTick(progress.Tick, progress.Every);
  TGCodeFile list(sink);
  WriteProgram({job, {}, {}, "0000-00-00 00:00"}, list);
  TProgramMeasure measure{sink.Figures(), sink.Uncut()};
  measure.Figures.FinishingLayer = entries.FinishDepth > 0;
  measure.Figures.Overcut = entries.Overcut > 0;
  return measure;
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
  scene.FinishLayer = preview.FinishLayer;
  scene.OvercutJob = preview.Figures.Overcut;

  for (const TLayerPath& path : preview.Layers) {
    if (!allPaths && &path != &shown) continue;
    const double pathLevel = path.CutLevel();
    // Each layer's passes begin below the last layer's: its returns are told from its own moves.
    TReturnFinder returns;
    for (const TMove& m : path.Moves) {
      const bool isReturn = returns.IsReturn(m);
      if (!m.Planar()) continue;
      TPathStyle style = TPathStyle::psRapid;
      if (isReturn) {
        style = TPathStyle::psReturn;
      } else if (IsRampLeg(m)) {
        style = TPathStyle::psRamp;
      } else if (m.Kind == TMoveKind::mkFeed) {
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

bool TPreviewScene::Has(TPathStyle style) const {
  return std::any_of(Paths.begin(), Paths.end(), [style](const TScenePath& p) { return p.Style == style; });
}

std::string FormatMinutes(double minutes) {
  if (!std::isfinite(minutes) || minutes < 0) return "unknown";
  const double total = std::round(minutes * 60);
  const long long seconds = static_cast<long long>(total);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return buffer;
}

TFigureValues FigureValues(const TProgramFigures& f, double rapidRate, const TUncutArea& uncut, int layer) {
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
  v.FaceArea = uncut.FaceArea;
  v.UncutInside = uncut.InsideArea;
  v.UncutCorner = uncut.CornerArea;
  v.Layer = layer;
  v.HasExtents = f.HasExtents;
  v.Min = f.Min;
  v.Max = f.Max;
  v.Overcut = f.Overcut ? uncut.Beyond : 0;
  v.Ramps = f.Ramps;
  v.RampLegs = f.RampLegs;
  v.SteepestRamp = f.SteepestRamp;
  v.Returns = f.Returns;
  v.HasFinish = f.FinishingLayer && f.Layers > 1;
  v.FinishLayer = f.Layers - 1;
  v.FinishLevel = f.LastLevel;
  v.FinishFeed = f.LastLevelFeed;
  return v;
}

std::vector<std::pair<std::string, std::string>> FigureRows(const TFigureValues& v) {
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
  const std::string layer = ", layer " + std::to_string(v.Layer + 1) + ")";
  std::vector<std::pair<std::string, std::string>> rows = {
      {"Lines", std::to_string(v.Lines)},
      {"Layers", std::to_string(v.Layers)},
      {"Feed path", Fixed(v.FeedLength, 3) + " mm"},
      {"Rapid path", Fixed(v.RapidLength, 3) + " mm"},
      {"Rapid rate", Fixed(v.RapidRate, 0) + " mm/min"},
      {"Cycle time", time},
      {"Left uncut inside",
       Fixed(v.UncutInside, 3) + " mm\u00B2 (" + Fixed(v.InsideShare() * 100, 2) + " % of the face" + layer},
      {"Left uncut in the corners",
       Fixed(v.UncutCorner, 3) + " mm\u00B2 (" + Fixed(v.CornerShare() * 100, 2) + " % of the face" + layer},
  };
  if (v.Overcut > 0)
    rows.emplace_back("Cut beyond the face",
                      "up to " + Fixed(v.Overcut, 3) + " mm (layer " + std::to_string(v.Layer + 1) + ")");
  if (v.Ramps > 0)
    rows.emplace_back("Ramp entries", std::to_string(v.Ramps) + " (" + std::to_string(v.RampLegs) +
                                          " legs, steepest " + Fixed(v.SteepestRamp, 3) + "\u00B0)");
  if (v.Returns > 0) rows.emplace_back("Returns at retract height", std::to_string(v.Returns));
  if (v.HasFinish)
    rows.emplace_back("Finishing layer", "layer " + std::to_string(v.FinishLayer + 1) + " at Z " +
                                             Fixed(v.FinishLevel, 3) + " mm, feed " + Fixed(v.FinishFeed, 0) +
                                             " mm/min");
  return rows;
}

std::vector<std::pair<std::string, std::string>> ExtentRows(const TFigureValues& v) {
  if (!v.HasExtents) return {{"Cutter centre", "no moves"}};
  const auto range = [](double lo, double hi) { return Fixed(lo, 3) + " to " + Fixed(hi, 3) + " mm"; };
  return {{"Cutter centre X", range(v.Min.X, v.Max.X)},
          {"Cutter centre Y", range(v.Min.Y, v.Max.Y)},
          {"Cutter centre Z", range(v.Min.Z, v.Max.Z)}};
}

namespace {

// A JSON number with `decimals` decimals; null for what is not a finite number.
std::string JsonNumber(double value, int decimals) {
  if (!std::isfinite(value)) return "null";
  std::string text = Fixed(value, decimals);
  // "-0.000" is valid JSON, but a script comparing with 0 should not meet a sign.
  if (text.find_first_not_of("-0.") == std::string::npos) text = Fixed(0, decimals);
  return text;
}

}  // namespace

std::string FigureJson(const TFigureValues& v) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const auto extent = [&](double value) { return JsonNumber(v.HasExtents ? value : nan, 3); };
  std::string json = "{\n";
  const auto key = [&json](const char* name, const std::string& value, bool last = false) {
    json += "  \"";
    json += name;
    json += "\": ";
    json += value;
    json += last ? "\n" : ",\n";
  };
  key("lines", std::to_string(v.Lines));
  key("layers", std::to_string(v.Layers));
  key("feed_path_mm", JsonNumber(v.FeedLength, 3));
  key("rapid_path_mm", JsonNumber(v.RapidLength, 3));
  key("rapid_rate_mm_min", JsonNumber(v.RapidRate, 3));
  key("cycle_time_min", JsonNumber(v.Cycle == TCycleTime::ctKnown ? v.CycleMinutes : nan, 4));
  key("face_mm2", JsonNumber(v.FaceArea, 3));
  key("uncut_interior_mm2", JsonNumber(v.UncutInside, 3));
  key("uncut_interior_percent", JsonNumber(v.InsideShare() * 100, 4));
  key("uncut_corner_mm2", JsonNumber(v.UncutCorner, 3));
  key("uncut_corner_percent", JsonNumber(v.CornerShare() * 100, 4));
  key("uncut_layer", std::to_string(v.Layer + 1));
  key("overcut_mm", JsonNumber(v.Overcut, 3));
  key("ramps", std::to_string(v.Ramps));
  key("ramp_legs", std::to_string(v.RampLegs));
  key("ramp_steepest_deg", JsonNumber(v.Ramps > 0 ? v.SteepestRamp : nan, 3));
  key("returns", std::to_string(v.Returns));
  key("finish_layer", v.HasFinish ? std::to_string(v.FinishLayer + 1) : "null");
  key("finish_level_mm", JsonNumber(v.HasFinish ? v.FinishLevel : nan, 3));
  key("finish_feed_mm_min", JsonNumber(v.HasFinish ? v.FinishFeed : nan, 3));
  key("extents",
      "{\"x_min\": " + extent(v.Min.X) + ", \"x_max\": " + extent(v.Max.X) +
          ", \"y_min\": " + extent(v.Min.Y) + ", \"y_max\": " + extent(v.Max.Y) +
          ", \"z_min\": " + extent(v.Min.Z) + ", \"z_max\": " + extent(v.Max.Z) + "}",
      true);
  json += "}\n";
  return json;
}
