#include "app/PreviewWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <utility>

#include "app/Skimplane_form.h"
#include "preview/PreviewStyle.h"
#include "toolpath/ProgramLimits.h"

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

// Remembers the pixels of the last few lines drawn: a line whose ends fall on the pixels of one of them
// (either way round), or on a single pixel at one of their ends, would add nothing to the picture.
class TDrawnLines {
 public:
  bool Covered(QPointF a, QPointF b) {
    const TEnds e{Pixel(a), Pixel(b)};
    for (const TEnds& d : drawn_) {
      if ((e.A == d.A && e.B == d.B) || (e.A == d.B && e.B == d.A)) return true;
      if (e.A == e.B && (e.A == d.A || e.A == d.B)) return true;
    }
    drawn_[next_] = e;
    next_ = (next_ + 1) % drawn_.size();
    return false;
  }

 private:
  struct TPixel {
    long long X = 0, Y = 0;
    bool operator==(const TPixel&) const = default;
  };
  struct TEnds {
    TPixel A{-1LL << 62, 0}, B{-1LL << 62, 0};
  };
  static TPixel Pixel(QPointF p) {
    constexpr double kFar = 1e15;
    return {std::llround(std::clamp(p.x(), -kFar, kFar)), std::llround(std::clamp(p.y(), -kFar, kFar))};
  }
  std::array<TEnds, 4> drawn_{};
  std::size_t next_ = 0;
};

// What the preview's progress dialog stops with when the user presses Cancel.
struct TPreviewCancelled {};

}  // namespace

QPointF TSceneMapping::At(double x, double y) const {
  return {Left + (x - Bounds.X0) * Scale, Top + (Bounds.Y1 - y) * Scale};
}

QPointF TSceneMapping::Scene(QPointF pixel) const {
  return {Bounds.X0 + (pixel.x() - Left) / Scale, Bounds.Y1 - (pixel.y() - Top) / Scale};
}

TSceneMapping FitScene(const TPreviewScene& scene, const QRectF& target) {
  TSceneMapping m;
  m.Bounds = scene.Bounds;
  const double w = m.Bounds.Width(), h = m.Bounds.Height();
  m.Scale = w > 0 && h > 0 ? std::min(target.width() / w, target.height() / h)
            : w > 0        ? target.width() / w
            : h > 0        ? target.height() / h
                           : 1;
  // Centred in the target.
  m.Left = target.left() + (target.width() - w * m.Scale) / 2;
  m.Top = target.top() + (target.height() - h * m.Scale) / 2;
  return m;
}

void PaintPreviewScene(QPainter& painter, const TPreviewScene& scene, const QRectF& target) {
  const TSceneMapping mapping = FitScene(scene, target);
  const double scale = mapping.Scale;
  const auto at = [&mapping](double x, double y) { return mapping.At(x, y); };
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
    TDrawnLines drawn;
    for (const TSegmentMM& s : scene.Swept) {
      if (drawn.Covered(at(s.X0, s.Y0), at(s.X1, s.Y1))) continue;
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
    TDrawnLines drawn;
    for (const TScenePath& p : scene.Paths) {
      if (p.Style != style) continue;
      const QPointF a = at(p.Segment.X0, p.Segment.Y0), b = at(p.Segment.X1, p.Segment.Y1);
      if (!drawn.Covered(a, b)) painter.drawLine(a, b);
    }
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
  // Takes the keys (F, Home, Esc) once clicked; the window handles them.
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::OpenHandCursor);
}

void TPreviewCanvas::SetScene(const TPreviewScene* scene) {
  scene_ = scene;
  update();
}

QRectF TPreviewCanvas::FitTarget() const {
  return QRectF(rect()).adjusted(10, 10, -10, -10);
}

TSceneMapping TPreviewCanvas::Mapping() const {
  // The fitted drawing scaled by the zoom about the canvas's corner, then shifted.
  const QRectF fit = FitTarget();
  const QRectF target(fit.topLeft() * zoom_ + shift_, fit.size() * zoom_);
  return scene_ ? FitScene(*scene_, target) : FitScene(TPreviewScene{}, target);
}

void TPreviewCanvas::FitToWindow() {
  zoom_ = 1;
  shift_ = {};
  update();
}

void TPreviewCanvas::ZoomAbout(QPointF pixel, double factor) {
  if (!(factor > 0) || !std::isfinite(factor)) return;
  const double zoom = std::clamp(zoom_ * factor, kMinZoom, kMaxZoom);
  // The point of the fitted drawing under the pixel stays under it.
  const QPointF fitted = (pixel - shift_) / zoom_;
  shift_ = pixel - fitted * zoom;
  zoom_ = zoom;
  update();
}

void TPreviewCanvas::PanBy(QPointF pixels) {
  shift_ += pixels;
  update();
}

void TPreviewCanvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (scene_) {
    const QRectF fit = FitTarget();
    PaintPreviewScene(painter, *scene_, QRectF(fit.topLeft() * zoom_ + shift_, fit.size() * zoom_));
  }
}

void TPreviewCanvas::wheelEvent(QWheelEvent* event) {
  // One step of a wheel (120) zooms by a fifth or so; a touchpad's finer steps by as much in all.
  const int steps = event->angleDelta().y();
  if (steps == 0) {
    event->ignore();
    return;
  }
  ZoomAbout(event->position(), std::pow(2.0, steps / 480.0));
  event->accept();
}

void TPreviewCanvas::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton) {
    dragFrom_ = event->position();
    setCursor(Qt::ClosedHandCursor);
    event->accept();
    return;
  }
  QWidget::mousePressEvent(event);
}

void TPreviewCanvas::mouseMoveEvent(QMouseEvent* event) {
  if (!dragFrom_) {
    QWidget::mouseMoveEvent(event);
    return;
  }
  PanBy(event->position() - *dragFrom_);
  dragFrom_ = event->position();
  event->accept();
}

void TPreviewCanvas::mouseReleaseEvent(QMouseEvent* event) {
  if (dragFrom_ && (event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton)) {
    PanBy(event->position() - *dragFrom_);
    dragFrom_.reset();
    setCursor(Qt::OpenHandCursor);
    event->accept();
    return;
  }
  QWidget::mouseReleaseEvent(event);
}

TPreviewProgressOptions& PreviewProgressOptions() {
  static TPreviewProgressOptions options;
  return options;
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
  lblExtents = new QLabel(this);
  lblExtents->setObjectName(QStringLiteral("lblExtents"));
  lblExtents->setTextFormat(Qt::PlainText);
  lblExtents->setTextInteractionFlags(Qt::TextSelectableByMouse);
  lblStatus = new QLabel(this);
  lblStatus->setObjectName(QStringLiteral("lblStatus"));
  lblStatus->setTextFormat(Qt::PlainText);
  lblStatus->setWordWrap(true);
  lblStatus->setStyleSheet(QStringLiteral("color: #B00000"));
  lblStatus->hide();
  auto* hint = new QLabel(T("PreviewHint"), this);
  hint->setObjectName(QStringLiteral("lblHint"));
  hint->setWordWrap(true);
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
  side->addWidget(lblStatus, 3, 0, 1, 2);
  side->addWidget(lblFigures, 4, 0, 1, 2);
  side->addWidget(lblExtents, 5, 0, 1, 2);
  side->addWidget(legend, 6, 0, 1, 2);
  side->addWidget(hint, 7, 0, 1, 2);
  side->setRowStretch(8, 1);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(Canvas, 1);
  layout->addLayout(side);

  connect(cmbLayer, &QComboBox::currentIndexChanged, this, [this](int index) { ShowLayer(index); });
  connect(edtRapidRate, &QDoubleSpinBox::valueChanged, this, [this] { UpdateFigures(); });

  followTimer_ = new QTimer(this);
  followTimer_->setSingleShot(true);
  connect(followTimer_, &QTimer::timeout, this, [this] { FollowNow(); });
  Canvas->setFocus();
}

bool TPreviewWindow::SetJob(const TJobEntries& entries) {
  // Only one job at a time: the dialog's events could otherwise start another inside this one. The
  // dialog keeps the user's hands off both windows meanwhile; a change that arrives anyway is followed
  // once the job is done (FollowNow).
  if (busy_) return false;
  const TCheckedJob job = CheckJob(entries);  // a refused job is said before any dialog opens
  const TPreviewProgressOptions& options = PreviewProgressOptions();
  const double estimate = EstimateProgramLines(entries);
  busy_ = true;
  const std::unique_ptr<bool, void (*)(bool*)> idle(&busy_, [](bool* busy) { *busy = false; });

  std::unique_ptr<QProgressDialog> dialog;
  TReadProgress progress;
  constexpr int kSteps = 1000;
  if (estimate > options.MinLines) {
    // Until the window is first shown the dialog stands over the main window.
    QWidget* owner = isVisible() || !parentWidget() ? this : parentWidget();
    dialog = std::make_unique<QProgressDialog>(captions_.Text("PreviewWorking"),
                                               captions_.Text("PreviewCancel"), 0, kSteps, owner);
    dialog->setObjectName(QStringLiteral("dlgPreviewProgress"));
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setMinimumDuration(0);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setValue(0);
    progress.Every = std::max<std::uint64_t>(options.StepLines, 1);
    progress.Tick = [&](std::uint64_t lines) {
      // Reading back is most of the work; the bar keeps the last tenth for the swept area.
      dialog->setValue(
          std::clamp(static_cast<int>(static_cast<double>(lines) / estimate * kSteps * 0.9), 0, kSteps - 1));
      if (options.OnStep) options.OnStep(*dialog);
      QCoreApplication::processEvents();
      if (dialog->wasCanceled()) throw TPreviewCancelled{};
    };
  }
  TToolpathPreview preview;
  TPreviewScene scene;
  try {
    preview = BuildPreview(job, true, progress);
    if (progress.Tick) progress.Tick(static_cast<std::uint64_t>(preview.Figures.Lines));
    scene = BuildScene(preview, 0, false);
  } catch (const TPreviewCancelled&) {
    lblStatus->setText(captions_.Text("PreviewCancelled"));
    lblStatus->show();
    return false;
  }
  lblStatus->clear();
  lblStatus->hide();
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
  scene_ = std::move(scene);
  Canvas->SetScene(&scene_);
  UpdateFigures();
  return true;
}

void TPreviewWindow::ShowLayer(int index) {
  if (index < 0) return;
  scene_ = BuildScene(preview_, static_cast<std::size_t>(index), false);
  Canvas->SetScene(&scene_);
  UpdateFigures();
}

void TPreviewWindow::FollowEntries(std::function<TJobEntries()> readEntries) {
  readEntries_ = std::move(readEntries);
}

void TPreviewWindow::Follow() {
  if (!readEntries_ || !isVisible()) return;
  followTimer_->start(FollowDelayMs);
}

bool TPreviewWindow::FollowPending() const {
  return followTimer_->isActive();
}

void TPreviewWindow::FollowNow() {
  if (!readEntries_ || !isVisible()) return;
  if (busy_) {
    // A change while a job is being built: once it is done.
    followTimer_->start(FollowDelayMs);
    return;
  }
  try {
    SetJob(readEntries_());
  } catch (const std::exception& error) {
    // Typing passes through values that cannot be cut (a diameter of 0 on the way to 0.5): said here,
    // not in a box at every key, and the drawing of the last job that could be cut stays.
    lblStatus->setText(QString::fromUtf8(error.what()));
    lblStatus->show();
  }
}

void TPreviewWindow::hideEvent(QHideEvent* event) {
  // Closed, it follows nothing until it is opened again (the button builds the job afresh).
  followTimer_->stop();
  QWidget::hideEvent(event);
}

void TPreviewWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      close();
      break;
    case Qt::Key_F:
    case Qt::Key_Home:
      if (event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) {
        QWidget::keyPressEvent(event);
        return;
      }
      Canvas->FitToWindow();
      break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  event->accept();
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

void TPreviewWindow::UpdateFigures() {
  const TFigureValues values =
      FigureValues(preview_.Figures, edtRapidRate->value(), scene_.Uncut, scene_.Layer);
  lblFigures->setText(PreviewFigureText(values, captions_));
  lblExtents->setText(PreviewExtentText(values, captions_));
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
        // While it is open the drawing follows every entry of the main window.
        window->FollowEntries([&form] { return form.ReadJobEntries(); });
        for (QWidget* control : form.findChildren<QWidget*>()) {
          if (control->window() != &form) continue;  // the preview window's own controls
          if (auto* spin = qobject_cast<TSpinEdit*>(control))
            QObject::connect(spin, &TSpinEdit::ValueChanged, window, &TPreviewWindow::Follow);
          else if (auto* button = qobject_cast<QAbstractButton*>(control); button && button->isCheckable())
            QObject::connect(button, &QAbstractButton::toggled, window, &TPreviewWindow::Follow);
          else if (auto* box = qobject_cast<QComboBox*>(control))
            QObject::connect(box, &QComboBox::currentIndexChanged, window, &TPreviewWindow::Follow);
        }
      }
      bool shown = false;
      try {
        shown = window->SetJob(form.ReadJobEntries());
      } catch (...) {
        if (fresh) delete window;
        throw;
      }
      if (!shown && fresh) {
        // Cancelled before there was anything to show.
        delete window;
        return;
      }
      window->show();
      window->raise();
      window->activateWindow();
    });
  });
}
