#include "preview/PreviewSvg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <vector>

#include "dvTools/AtomicFileWriter.h"
#include "preview/PreviewStyle.h"

namespace {

constexpr double kDrawingSize = 800;  // px, the longer side of the drawing
constexpr double kPad = 20;
constexpr double kFigureLine = 18;

struct TLegendEntry {
  std::uint32_t Colour;
  const char* Text;
};
// In the order and words of the window's legend.
constexpr TLegendEntry kLegend[] = {
    {kFeedColour, "cutting feed"},
    {kLiftedFeedColour, "feed at retract height"},
    {kRapidColour, "rapid (dashed)"},
    {kSweptColour, "area the cutter sweeps"},
    {kUncutInsideColour, "left uncut inside"},
    {kUncutColour, "left in the corners (no round cutter reaches)"},
    {kStartColour, "start"},
};
// Below those, the entries of the machining options, for a drawing that shows them.
constexpr TLegendEntry kRampLegend = {kRampColour, "ramp entry"};
constexpr TLegendEntry kReturnLegend = {kReturnColour, "return at retract height (dashed)"};
constexpr TLegendEntry kOvercutLegend = {kOvercutColour, "area swept beyond the face (overcut)"};

std::vector<TLegendEntry> LegendOf(const TPreviewScene& scene) {
  std::vector<TLegendEntry> legend(std::begin(kLegend), std::end(kLegend));
  if (scene.Has(TPathStyle::psRamp)) legend.push_back(kRampLegend);
  if (scene.Has(TPathStyle::psReturn)) legend.push_back(kReturnLegend);
  if (scene.Overcut()) legend.push_back(kOvercutLegend);
  return legend;
}

class TSvgOut {
 public:
  explicit TSvgOut(const TPreviewScene& scene) : bounds_(scene.Bounds) {
    const double w = bounds_.Width(), h = bounds_.Height();
    scale_ = w > 0 && h > 0 ? std::min(kDrawingSize / w, kDrawingSize / h)
             : w > 0        ? kDrawingSize / w
             : h > 0        ? kDrawingSize / h
                            : 1;
  }
  [[nodiscard]] double X(double x) const { return kPad + (x - bounds_.X0) * scale_; }
  [[nodiscard]] double Y(double y) const { return kPad + (bounds_.Y1 - y) * scale_; }
  [[nodiscard]] double Scale() const { return scale_; }
  [[nodiscard]] double Width() const { return 2 * kPad + bounds_.Width() * scale_; }
  [[nodiscard]] double Height() const { return 2 * kPad + bounds_.Height() * scale_; }

  std::string text;

  void Num(double v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", v);
    text += buffer;
  }
  void Attr(const char* name, double v) {
    text += ' ';
    text += name;
    text += "=\"";
    Num(v);
    text += '"';
  }
  void Colour(const char* name, std::uint32_t rgb) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, " %s=\"#%06X\"", name, static_cast<unsigned>(rgb));
    text += buffer;
  }
  void Line(const TSegmentMM& s) {
    text += "<line";
    Attr("x1", X(s.X0));
    Attr("y1", Y(s.Y0));
    Attr("x2", X(s.X1));
    Attr("y2", Y(s.Y1));
    text += "/>\n";
  }
  void Escaped(const std::string& s) {
    for (char c : s) {
      switch (c) {
        case '&':
          text += "&amp;";
          break;
        case '<':
          text += "&lt;";
          break;
        case '>':
          text += "&gt;";
          break;
        case '"':
          text += "&quot;";
          break;
        default:
          text += c;
          break;
      }
    }
  }

 private:
  TRectMM bounds_;
  double scale_ = 1;
};

void PathGroup(TSvgOut& out, const TPreviewScene& scene, int layer, TPathStyle style) {
  static constexpr const char* kClass[] = {"feed", "lifted", "rapid", "ramp", "return"};
  const auto index = static_cast<int>(style);
  out.text += "<g class=\"";
  out.text += kClass[index];
  out.text += "\" fill=\"none\"";
  out.Colour("stroke", PathColour(style));
  out.Attr("stroke-width", style == TPathStyle::psReturn ? kReturnWidth : kPathWidth);
  if (style == TPathStyle::psRapid || style == TPathStyle::psReturn) {
    out.text += " stroke-dasharray=\"";
    out.Num(kRapidDash);
    out.text += ' ';
    out.Num(kRapidGap);
    out.text += '"';
  }
  out.text += ">\n";
  for (const TScenePath& p : scene.Paths)
    if (p.Layer == layer && p.Style == style) out.Line(p.Segment);
  out.text += "</g>\n";
}

// The swept segments as lines as wide as the cutter with round ends, a point as a disc.
void BandSegments(TSvgOut& out, const TPreviewScene& scene, std::uint32_t colour, bool beyondFaceOnly) {
  const TRectMM& f = scene.Face;
  const double r = scene.Radius;
  for (const TSegmentMM& s : scene.Swept) {
    if (beyondFaceOnly && std::min(s.X0, s.X1) - r >= f.X0 && std::max(s.X0, s.X1) + r <= f.X1 &&
        std::min(s.Y0, s.Y1) - r >= f.Y0 && std::max(s.Y0, s.Y1) + r <= f.Y1)
      continue;
    if (s.X0 == s.X1 && s.Y0 == s.Y1) {
      out.text += "<circle stroke=\"none\"";
      out.Colour("fill", colour);
      out.Attr("cx", out.X(s.X0));
      out.Attr("cy", out.Y(s.Y0));
      out.Attr("r", r * out.Scale());
      out.text += "/>\n";
    } else {
      out.Line(s);
    }
  }
}

// The band beyond the face once more in its own colour, clipped to what lies outside the face.
void OvercutBand(TSvgOut& out, const TPreviewScene& scene, double height) {
  const TRectMM& f = scene.Face;
  out.text += "<clipPath id=\"beyond-face\"><path clip-rule=\"evenodd\" d=\"M0 0h";
  out.Num(out.Width());
  out.text += 'v';
  out.Num(height);
  out.text += 'h';
  out.Num(-out.Width());
  out.text += "zM";
  out.Num(out.X(f.X0));
  out.text += ' ';
  out.Num(out.Y(f.Y1));
  out.text += 'h';
  out.Num(f.Width() * out.Scale());
  out.text += 'v';
  out.Num(f.Height() * out.Scale());
  out.text += 'h';
  out.Num(-f.Width() * out.Scale());
  out.text += "z\"/></clipPath>\n";
  out.text += "<g id=\"overcut\" clip-path=\"url(#beyond-face)\" stroke-linecap=\"round\" fill=\"none\"";
  out.Colour("stroke", kOvercutColour);
  out.Attr("stroke-width", 2 * scene.Radius * out.Scale());
  out.text += ">\n";
  BandSegments(out, scene, kOvercutColour, true);
  out.text += "</g>\n";
}

// One path of uncut cells, joined into rectangles.
void UncutPath(TSvgOut& out, const char* id, std::uint32_t colour, const std::vector<TRectMM>& rects) {
  out.text += "<path id=\"";
  out.text += id;
  out.text += "\" stroke=\"none\"";
  out.Colour("fill", colour);
  out.Attr("fill-opacity", kUncutOpacity);
  out.text += " d=\"";
  for (const TRectMM& r : rects) {
    out.text += 'M';
    out.Num(out.X(r.X0));
    out.text += ' ';
    out.Num(out.Y(r.Y1));
    out.text += 'h';
    out.Num(r.Width() * out.Scale());
    out.text += 'v';
    out.Num(r.Height() * out.Scale());
    out.text += 'h';
    out.Num(-r.Width() * out.Scale());
    out.text += 'z';
  }
  out.text += "\"/>\n";
}

}  // namespace

std::string PreviewSvg(const TPreviewScene& scene,
                       const std::vector<std::pair<std::string, std::string>>& figures) {
  TSvgOut out(scene);
  const double drawingHeight = out.Height();
  const std::vector<TLegendEntry> legend = LegendOf(scene);
  const double height =
      drawingHeight + kFigureLine * static_cast<double>(figures.size() + legend.size()) + kPad / 2;
  out.text += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"";
  out.Attr("width", out.Width());
  out.Attr("height", height);
  out.text += " viewBox=\"0 0 ";
  out.Num(out.Width());
  out.text += ' ';
  out.Num(height);
  out.text += "\">\n<title>Skimplane toolpath preview</title>\n";
  out.text += "<rect width=\"100%\" height=\"100%\" fill=\"#FFFFFF\"/>\n";

  const TRectMM& f = scene.Face;
  out.text += "<rect id=\"face\"";
  out.Attr("x", out.X(f.X0));
  out.Attr("y", out.Y(f.Y1));
  out.Attr("width", f.Width() * out.Scale());
  out.Attr("height", f.Height() * out.Scale());
  out.Colour("fill", kFaceFill);
  out.text += "/>\n";

  // The swept band: lines as wide as the cutter with round ends are exactly the area it covers.
  out.text += "<g id=\"swept\" stroke-linecap=\"round\" fill=\"none\"";
  out.Colour("stroke", kSweptColour);
  out.Attr("stroke-width", 2 * scene.Radius * out.Scale());
  out.text += ">\n";
  BandSegments(out, scene, kSweptColour, false);
  out.text += "</g>\n";
  if (scene.Overcut()) OvercutBand(out, scene, height);

  UncutPath(out, "uncut-corners", kUncutColour, scene.Uncut.Corners);
  UncutPath(out, "uncut-inside", kUncutInsideColour, scene.Uncut.Inside);

  out.text += "<rect id=\"outline\" fill=\"none\" stroke-width=\"1\"";
  out.Colour("stroke", kFaceColour);
  out.Attr("x", out.X(f.X0));
  out.Attr("y", out.Y(f.Y1));
  out.Attr("width", f.Width() * out.Scale());
  out.Attr("height", f.Height() * out.Scale());
  out.text += "/>\n";

  std::vector<int> layers;
  for (const TScenePath& p : scene.Paths)
    if (std::find(layers.begin(), layers.end(), p.Layer) == layers.end()) layers.push_back(p.Layer);
  for (int layer : layers) {
    out.text += layer == scene.FinishLayer ? "<g class=\"layer finishing\"" : "<g class=\"layer\"";
    out.text += " id=\"layer-" + std::to_string(layer + 1) + "\">\n";
    // Returns under the passes they run along, ramps over them; their groups only where there are any, so a
    // job without them keeps its drawing.
    const auto any = [&](TPathStyle style) {
      return std::any_of(scene.Paths.begin(), scene.Paths.end(),
                         [&](const TScenePath& p) { return p.Layer == layer && p.Style == style; });
    };
    if (any(TPathStyle::psReturn)) PathGroup(out, scene, layer, TPathStyle::psReturn);
    PathGroup(out, scene, layer, TPathStyle::psFeed);
    PathGroup(out, scene, layer, TPathStyle::psLiftedFeed);
    PathGroup(out, scene, layer, TPathStyle::psRapid);
    if (any(TPathStyle::psRamp)) PathGroup(out, scene, layer, TPathStyle::psRamp);
    out.text += "</g>\n";
  }

  if (scene.HasStart) {
    out.text += "<circle id=\"start\" fill=\"none\" stroke-width=\"2\"";
    out.Colour("stroke", kStartColour);
    out.Attr("cx", out.X(scene.StartX));
    out.Attr("cy", out.Y(scene.StartY));
    out.Attr("r", kStartRadius);
    out.text += "/>\n";
  }

  out.text += "<g id=\"figures\" font-family=\"sans-serif\" font-size=\"13\" fill=\"#000000\">\n";
  double y = drawingHeight + kFigureLine / 2;
  for (const auto& [label, value] : figures) {
    out.text += "<text";
    out.Attr("x", kPad);
    out.Attr("y", y);
    out.text += '>';
    out.Escaped(label + ": " + value);
    out.text += "</text>\n";
    y += kFigureLine;
  }
  out.text += "</g>\n";

  // The legend below the figures: a swatch of each colour and what it stands for, as in the window.
  out.text += "<g id=\"legend\" font-family=\"sans-serif\" font-size=\"13\" fill=\"#000000\">\n";
  for (const TLegendEntry& entry : legend) {
    out.text += "<rect";
    out.Attr("x", kPad);
    out.Attr("y", y - 10);
    out.Attr("width", 12);
    out.Attr("height", 12);
    out.Colour("fill", entry.Colour);
    out.text += "/>\n<text";
    out.Attr("x", kPad + 18);
    out.Attr("y", y);
    out.text += '>';
    out.Escaped(entry.Text);
    out.text += "</text>\n";
    y += kFigureLine;
  }
  out.text += "</g>\n</svg>\n";
  return std::move(out.text);
}

void WritePreviewSvg(const std::filesystem::path& target, const TPreviewScene& scene,
                     const std::vector<std::pair<std::string, std::string>>& figures) {
  WriteFileAtomically(target, PreviewSvg(scene, figures));
}
