#include "app/PreviewTexts.h"

#include <QStringList>

#include <utility>

namespace {

QString U(const char* utf8) {
  return QString::fromUtf8(utf8);
}

QString Fixed(double value, int decimals) {
  return QString::number(value, 'f', decimals);
}

}  // namespace

QString PreviewFigureText(const TFigureValues& v, const TPreviewCaptions& captions) {
  const auto T = [&captions](const char* key) { return captions.Text(key); };
  QString time;
  switch (v.Cycle) {
    case TCycleTime::ctKnown:
      time = QString::fromStdString(FormatMinutes(v.CycleMinutes)) +
             T("PreviewMinutes").arg(Fixed(v.CycleMinutes, 2));
      break;
    case TCycleTime::ctFeedUnknown:
      time = T("PreviewTimeFeedUnknown");
      break;
    case TCycleTime::ctNoRapidRate:
      time = T("PreviewTimeRapidUnknown");
      break;
  }
  const auto share = [&](double part) {
    return T("PreviewShareOfFace").arg(Fixed(part * 100, 2), QString::number(v.Layer + 1));
  };
  const std::pair<const char*, QString> rows[] = {
      {"PreviewLines", QString::number(v.Lines)},
      {"PreviewLayers", QString::number(v.Layers)},
      {"PreviewFeedPath", Fixed(v.FeedLength, 3) + QStringLiteral(" mm")},
      {"PreviewRapidPath", Fixed(v.RapidLength, 3) + QStringLiteral(" mm")},
      {"PreviewRapidRateFigure", Fixed(v.RapidRate, 0) + QStringLiteral(" mm/min")},
      {"PreviewCycleTime", time},
      {"PreviewUncutInside", Fixed(v.UncutInside, 3) + U(" mm²") + share(v.InsideShare())},
      {"PreviewUncutCorner", Fixed(v.UncutCorner, 3) + U(" mm²") + share(v.CornerShare())},
  };
  QStringList lines;
  for (const auto& [key, value] : rows) lines << T(key) + T("PreviewColon") + value;
  // The machining options' rows, as the command line's, only for a program that has them.
  const auto row = [&](const char* key, const QString& value) {
    lines << T(key) + T("PreviewColon") + value;
  };
  if (v.Overcut > 0)
    row("PreviewOvercut", T("PreviewOvercutValue").arg(Fixed(v.Overcut, 3), QString::number(v.Layer + 1)));
  if (v.Ramps > 0)
    row("PreviewRamps",
        T("PreviewRampsValue")
            .arg(QString::number(v.Ramps), QString::number(v.RampLegs), Fixed(v.SteepestRamp, 3)));
  if (v.Returns > 0) row("PreviewReturns", QString::number(v.Returns));
  if (v.HasFinish)
    row("PreviewFinish",
        T("PreviewFinishValue")
            .arg(QString::number(v.FinishLayer + 1), Fixed(v.FinishLevel, 3), Fixed(v.FinishFeed, 0)));
  return lines.join(QLatin1Char('\n'));
}

QString PreviewExtentText(const TFigureValues& v, const TPreviewCaptions& captions) {
  const auto T = [&captions](const char* key) { return captions.Text(key); };
  if (!v.HasExtents) return T("PreviewExtentX") + T("PreviewColon") + T("PreviewExtentNone");
  const auto range = [&](const char* key, double lo, double hi) {
    return T(key) + T("PreviewColon") + T("PreviewExtentRange").arg(Fixed(lo, 3), Fixed(hi, 3));
  };
  return QStringList{range("PreviewExtentX", v.Min.X, v.Max.X), range("PreviewExtentY", v.Min.Y, v.Max.Y),
                     range("PreviewExtentZ", v.Min.Z, v.Max.Z)}
      .join(QLatin1Char('\n'));
}
