#include "app/PreviewWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

#include "app/Skimplane_form.h"
#include "preview/PreviewStyle.h"

namespace {

QString U(const char* utf8) {
  return QString::fromUtf8(utf8);
}

QString Fixed(double value, int decimals) {
  return QString::number(value, 'f', decimals);
}

QColor Rgb(std::uint32_t rgb, double opacity = 1) {
  QColor c((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
  c.setAlphaF(static_cast<float>(opacity));
  return c;
}

}  // namespace

void PaintPreviewScene(QPainter& painter, const TPreviewScene& scene, const QRectF& target) {
  const TRectMM& b = scene.Bounds;
  const double w = b.Width(), h = b.Height();
  const double scale = w > 0 && h > 0 ? std::min(target.width() / w, target.height() / h)
                       : w > 0        ? target.width() / w
                       : h > 0        ? target.height() / h
                                      : 1;
  // Centred in the target.
  const double left = target.left() + (target.width() - w * scale) / 2;
  const double top = target.top() + (target.height() - h * scale) / 2;
  const auto at = [&](double x, double y) {
    return QPointF(left + (x - b.X0) * scale, top + (b.Y1 - y) * scale);
  };
  const auto rect = [&](const TRectMM& r) { return QRectF(at(r.X0, r.Y1), at(r.X1, r.Y0)); };

  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.fillRect(rect(scene.Face), Rgb(kFaceFill));

  // The swept band: lines as wide as the cutter with round ends cover exactly what it sweeps. Drawn
  // without smoothing, or two bands meeting edge to edge would show a pale seam.
  painter.setRenderHint(QPainter::Antialiasing, false);
  const double cutter = 2 * scene.Radius * scale;
  if (cutter > 0) {
    painter.setPen(QPen(Rgb(kSweptColour), cutter, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    for (const TSegmentMM& s : scene.Swept) {
      if (s.X0 == s.X1 && s.Y0 == s.Y1) {
        painter.save();
        painter.setPen(Qt::NoPen);
        painter.setBrush(Rgb(kSweptColour));
        painter.drawEllipse(at(s.X0, s.Y0), cutter / 2, cutter / 2);
        painter.restore();
      } else {
        painter.drawLine(at(s.X0, s.Y0), at(s.X1, s.Y1));
      }
    }
  }

  // The uncut cells as one shape per kind, so neighbouring rectangles do not show seams.
  const auto fillCells = [&](const std::vector<TRectMM>& cells, std::uint32_t colour) {
    QPainterPath uncut;
    for (const TRectMM& r : cells) uncut.addRect(rect(r));
    painter.fillPath(uncut.simplified(), Rgb(colour, kUncutOpacity));
  };
  fillCells(scene.Uncut.Corners, kUncutColour);
  fillCells(scene.Uncut.Inside, kUncutInsideColour);
  painter.setRenderHint(QPainter::Antialiasing, true);

  painter.setPen(QPen(Rgb(kFaceColour), 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect(scene.Face));

  for (const TPathStyle style : {TPathStyle::psFeed, TPathStyle::psLiftedFeed, TPathStyle::psRapid}) {
    QPen pen(Rgb(style == TPathStyle::psFeed         ? kFeedColour
                 : style == TPathStyle::psLiftedFeed ? kLiftedFeedColour
                                                     : kRapidColour),
             kPathWidth);
    if (style == TPathStyle::psRapid) pen.setDashPattern({kRapidDash / kPathWidth, kRapidGap / kPathWidth});
    painter.setPen(pen);
    for (const TScenePath& p : scene.Paths)
      if (p.Style == style) painter.drawLine(at(p.Segment.X0, p.Segment.Y0), at(p.Segment.X1, p.Segment.Y1));
  }

  if (scene.HasStart) {
    painter.setPen(QPen(Rgb(kStartColour), 2));
    painter.drawEllipse(at(scene.StartX, scene.StartY), kStartRadius, kStartRadius);
  }
  painter.restore();
}

TPreviewCanvas::TPreviewCanvas(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Canvas"));
  setMinimumSize(420, 420);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPreviewCanvas::SetScene(const TPreviewScene* scene) {
  scene_ = scene;
  update();
}

void TPreviewCanvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (scene_) PaintPreviewScene(painter, *scene_, QRectF(rect()).adjusted(10, 10, -10, -10));
}

TPreviewWindow::TPreviewWindow(QWidget* parent, TPreviewCaptions captions)
    : QWidget(parent, Qt::Window), captions_(std::move(captions)) {
  const auto T = [this](const char* key) { return captions_.Text(key); };
  setObjectName(QStringLiteral("frmPreview"));
  setWindowTitle(T("PreviewTitle"));
  setAttribute(Qt::WA_DeleteOnClose, false);

  Canvas = new TPreviewCanvas(this);
  lblLayer = new QLabel(T("PreviewLayer"), this);
  cmbLayer = new QComboBox(this);
  cmbLayer->setObjectName(QStringLiteral("cmbLayer"));
  edtRapidRate = new QDoubleSpinBox(this);
  edtRapidRate->setObjectName(QStringLiteral("edtRapidRate"));
  edtRapidRate->setRange(1, 1'000'000);
  edtRapidRate->setDecimals(0);
  edtRapidRate->setSingleStep(500);
  edtRapidRate->setSuffix(QStringLiteral(" mm/min"));
  edtRapidRate->setValue(kDefaultRapidRate);
  lblFigures = new QLabel(this);
  lblFigures->setObjectName(QStringLiteral("lblFigures"));
  lblFigures->setTextFormat(Qt::PlainText);
  lblFigures->setTextInteractionFlags(Qt::TextSelectableByMouse);
  chkFinishCentre = new QCheckBox(T("PreviewCentrePass"), this);
  chkFinishCentre->setObjectName(QStringLiteral("chkFinishCentre"));
  chkFinishCentre->setToolTip(T("PreviewCentrePassHint"));
  auto* legend = new QLabel(this);
  legend->setTextFormat(Qt::RichText);
  const auto swatch = [&T](std::uint32_t rgb, const char* key) {
    return QStringLiteral("<span style=\"color:#%1\">&#9632;</span> %2<br>")
        .arg(rgb, 6, 16, QLatin1Char('0'))
        .arg(T(key).toHtmlEscaped());
  };
  legend->setText(
      swatch(kFeedColour, "PreviewLegendFeed") + swatch(kLiftedFeedColour, "PreviewLegendLiftedFeed") +
      swatch(kRapidColour, "PreviewLegendRapid") + swatch(kSweptColour, "PreviewLegendSwept") +
      swatch(kUncutInsideColour, "PreviewLegendUncutInside") +
      swatch(kUncutColour, "PreviewLegendUncutCorner") + swatch(kStartColour, "PreviewLegendStart"));

  auto* side = new QGridLayout;
  side->addWidget(lblLayer, 0, 0);
  side->addWidget(cmbLayer, 0, 1);
  side->addWidget(new QLabel(T("PreviewRapidRate"), this), 1, 0);
  side->addWidget(edtRapidRate, 1, 1);
  side->addWidget(chkFinishCentre, 2, 0, 1, 2);
  side->addWidget(lblFigures, 3, 0, 1, 2);
  side->addWidget(legend, 4, 0, 1, 2);
  side->setRowStretch(5, 1);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(Canvas, 1);
  layout->addLayout(side);

  connect(cmbLayer, &QComboBox::currentIndexChanged, this, [this](int index) { ShowLayer(index); });
  connect(edtRapidRate, &QDoubleSpinBox::valueChanged, this, [this] { UpdateFigures(); });
}

void TPreviewWindow::SetJob(const TJobEntries& entries) {
  TToolpathPreview preview = BuildPreview(entries);
  preview_ = std::move(preview);
  {
    const QSignalBlocker block(chkFinishCentre);
    chkFinishCentre->setChecked(entries.FinishCentre);
  }
  chkFinishCentre->setEnabled(entries.Mode == kModeSpiral);
  {
    const QSignalBlocker block(cmbLayer);
    cmbLayer->clear();
    for (const TLayerPath& layer : preview_.Layers) cmbLayer->addItem(QString::number(layer.Index + 1));
    cmbLayer->setCurrentIndex(0);
  }
  const bool several = preview_.Layers.size() > 1;
  cmbLayer->setVisible(several);
  lblLayer->setVisible(several);
  ShowLayer(0);
}

void TPreviewWindow::ShowLayer(int index) {
  if (index < 0) return;
  scene_ = BuildScene(preview_, static_cast<std::size_t>(index), false);
  Canvas->SetScene(&scene_);
  UpdateFigures();
}

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
  return lines.join(QLatin1Char('\n'));
}

void TPreviewWindow::UpdateFigures() {
  lblFigures->setText(PreviewFigureText(
      FigureValues(preview_.Figures, edtRapidRate->value(), scene_.Uncut, scene_.Layer), captions_));
}

void InstallPreview(TfrmSkimplane& form) {
  auto* button = new QPushButton(QString::fromUtf8("预览"), &form);
  button->setObjectName(QStringLiteral("btnPreview"));
  button->setGeometry(184, 372, 75, 25);
  button->setAutoDefault(false);
  button->setDefault(false);
  QObject::connect(button, &QPushButton::clicked, &form, [&form] {
    form.RunHandler([&form] {
      auto* window = form.findChild<TPreviewWindow*>(QStringLiteral("frmPreview"));
      const bool fresh = window == nullptr;
      if (fresh) {
        window = new TPreviewWindow(&form, form.PreviewCaptions);
        // The box is the main window's choice: Generate and the settings file follow it.
        QObject::connect(window->chkFinishCentre, &QCheckBox::toggled, &form, [&form, window](bool on) {
          form.RunHandler([&form, window, on] {
            form.FinishCentre = on;
            window->SetJob(form.ReadJobEntries());
          });
        });
      }
      try {
        window->SetJob(form.ReadJobEntries());
      } catch (...) {
        if (fresh) delete window;
        throw;
      }
      window->show();
      window->raise();
      window->activateWindow();
    });
  });
}
