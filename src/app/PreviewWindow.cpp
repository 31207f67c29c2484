#include "app/PreviewWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <utility>

#include "app/PreviewTexts.h"
#include "app/Skimplane_form.h"
#include "preview/PreviewStyle.h"
#include "toolpath/ProgramLimits.h"

TProgressOptions PreviewProgressDefaults() {
  return {300'000, 1 << 15, {}};
}

TPreviewWindow::TPreviewWindow(QWidget* parent, TPreviewCaptions captions, TProgressOptions progress)
    : QWidget(parent, Qt::Window), Progress(std::move(progress)), captions_(std::move(captions)) {
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
  const double estimate = job.EstimatedLines();
  busy_ = true;
  const std::unique_ptr<bool, void (*)(bool*)> idle(&busy_, [](bool* busy) { *busy = false; });

  // Until the window is first shown the dialog stands over the main window.
  QWidget* owner = isVisible() || !parentWidget() ? this : parentWidget();
  TProgressDialog dialog(owner, Progress, estimate, captions_.Text("PreviewWorking"),
                         captions_.Text("PreviewCancel"), QStringLiteral("dlgPreviewProgress"));
  TReadProgress progress;
  if (dialog.Shown()) {
    progress.Every = dialog.Every();
    // Reading back is most of the work; the bar keeps the last tenth for the swept area.
    progress.Tick = [&dialog](std::uint64_t lines) { dialog.Tick(lines, 0.9); };
  }
  TToolpathPreview preview;
  TPreviewScene scene;
  try {
    preview = BuildPreview(job, true, progress);
    if (progress.Tick) progress.Tick(static_cast<std::uint64_t>(preview.Figures.Lines));
    scene = BuildScene(preview, 0, false);
  } catch (const TProgressCancelled&) {
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

void TPreviewWindow::FollowEntries(std::function<TJobEntries()> readEntries,
                                   std::function<QString(const std::exception&)> describe) {
  readEntries_ = std::move(readEntries);
  describe_ = std::move(describe);
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
    lblStatus->setText(describe_ ? describe_(error) : QString::fromUtf8(error.what()));
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
        window = new TPreviewWindow(&form, form.PreviewCaptions, form.PreviewProgress);
        // The box is the main window's choice: Generate and the settings file follow it.
        QObject::connect(window->chkFinishCentre, &QCheckBox::toggled, &form, [&form, window](bool on) {
          form.RunHandler([&form, window, on] {
            form.FinishCentre = on;
            window->SetJob(form.ReadJobEntries());
          });
        });
        // While it is open the drawing follows every entry of the main window.
        window->FollowEntries([&form] { return form.ReadJobEntries(); },
                              [&form](const std::exception& error) { return form.MessageText(error); });
        QObject::connect(&form, &TfrmSkimplane::EntriesChanged, window, &TPreviewWindow::Follow);
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
