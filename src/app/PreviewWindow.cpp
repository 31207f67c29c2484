#include "app/PreviewWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStringList>
#include <QTimer>
#include <QVBoxLayout>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

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

namespace {

// The texts' column: as wide as its widest text that does not wrap (the status line and the hint wrap to
// it), and as high as they all are when the window has room, else scrolled; never squeezed.
class TSideColumn final : public QScrollArea {
 public:
  explicit TSideColumn(QWidget* parent) : QScrollArea(parent) {
    setObjectName(QStringLiteral("sclSide"));
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Expanding);
  }
  [[nodiscard]] QSize sizeHint() const override {
    if (!widget()) return QScrollArea::sizeHint();
    const QSize content = widget()->sizeHint();
    return {minimumSizeHint().width(), content.height()};
  }
  [[nodiscard]] QSize minimumSizeHint() const override {
    if (!widget()) return QScrollArea::minimumSizeHint();
    // Room for the vertical scroll bar as well, so that it never covers a text when it shows.
    return {widget()->minimumSizeHint().width() + verticalScrollBar()->sizeHint().width(), 120};
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // A text of the column changed: the window takes the column's new width, and the column is laid out
    // again at the height its wrapped texts need at that width (once its own layout has done its part).
    if (watched == widget() && event->type() == QEvent::LayoutRequest) {
      if (widget()->layout()) widget()->layout()->activate();
      updateGeometry();
      QEvent refit(QEvent::LayoutRequest);
      QScrollArea::event(&refit);
    }
    return QScrollArea::eventFilter(watched, event);
  }
};

}  // namespace

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
  lblLegend = new QLabel(this);
  lblLegend->setObjectName(QStringLiteral("lblLegend"));
  lblLegend->setTextFormat(Qt::RichText);

  auto* choices = new QGridLayout;
  choices->addWidget(lblLayer, 0, 0);
  choices->addWidget(cmbLayer, 0, 1);
  auto* rapidRate = new QLabel(T("PreviewRapidRate"), this);
  rapidRate->setObjectName(QStringLiteral("lblRapidRate"));
  choices->addWidget(rapidRate, 1, 0);
  choices->addWidget(edtRapidRate, 1, 1);
  choices->setColumnStretch(1, 1);
  auto* column = new QWidget;
  column->setObjectName(QStringLiteral("wgtSide"));
  auto* texts = new QVBoxLayout(column);
  texts->setContentsMargins(0, 0, 0, 0);
  texts->addLayout(choices);
  // The layouts take the widgets into the column.
  for (QWidget* w : {static_cast<QWidget*>(chkFinishCentre), static_cast<QWidget*>(lblStatus),
                     static_cast<QWidget*>(lblFigures), static_cast<QWidget*>(lblExtents),
                     static_cast<QWidget*>(lblLegend), static_cast<QWidget*>(hint)})
    texts->addWidget(w);
  texts->addStretch(1);
  Side = new TSideColumn(this);
  Side->setWidget(column);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(Canvas, 1);
  layout->addWidget(Side);
  UpdateLegend();

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
    ShowStatus(captions_.Text("PreviewCancelled"));
    return false;
  }
  ShowStatus(QString());
  preview_ = std::move(preview);
  {
    const QSignalBlocker block(chkFinishCentre);
    chkFinishCentre->setChecked(entries.FinishCentre);
  }
  chkFinishCentre->setEnabled(entries.Mode == kModeSpiral);
  {
    const QSignalBlocker block(cmbLayer);
    cmbLayer->clear();
    for (const TLayerPath& layer : preview_.Layers) {
      const QString number = QString::number(layer.Index + 1);
      cmbLayer->addItem(
          layer.Index == preview_.FinishLayer ? captions_.Text("PreviewLayerFinishing").arg(number) : number);
    }
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
    ShowStatus(describe_ ? describe_(error) : QString::fromUtf8(error.what()));
  }
}

void TPreviewWindow::ShowStatus(const QString& text) {
  lblStatus->setText(text);
  lblStatus->setVisible(!text.isEmpty());
}

void TPreviewWindow::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (event->isAccepted()) ReleaseJob();
}

void TPreviewWindow::ReleaseJob() {
  Canvas->SetScene(nullptr);
  // Swapped out, not cleared: clear() keeps a vector's capacity, and a large job's moves are most of it.
  TToolpathPreview().Layers.swap(preview_.Layers);
  preview_ = {};
  scene_ = {};
  {
    const QSignalBlocker block(cmbLayer);
    cmbLayer->clear();
  }
#if defined(__GLIBC__)
  // The moves were millions of small blocks among the allocator's arenas: hand the free pages back now,
  // not at the next large allocation.
  malloc_trim(0);
#endif
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
  UpdateLegend();
}

void TPreviewWindow::UpdateLegend() {
  const auto T = [this](const char* key) { return captions_.Text(key); };
  QStringList rows;
  const auto swatch = [&](std::uint32_t rgb, const char* key) {
    rows << QStringLiteral("<span style=\"color:#%1\">&#9632;</span> %2")
                .arg(rgb, 6, 16, QLatin1Char('0'))
                .arg(T(key).toHtmlEscaped());
  };
  swatch(kFeedColour, "PreviewLegendFeed");
  swatch(kLiftedFeedColour, "PreviewLegendLiftedFeed");
  swatch(kRapidColour, "PreviewLegendRapid");
  swatch(kSweptColour, "PreviewLegendSwept");
  swatch(kUncutInsideColour, "PreviewLegendUncutInside");
  swatch(kUncutColour, "PreviewLegendUncutCorner");
  swatch(kStartColour, "PreviewLegendStart");
  if (scene_.Has(TPathStyle::psRamp)) swatch(kRampColour, "PreviewLegendRamp");
  if (scene_.Has(TPathStyle::psReturn)) swatch(kReturnColour, "PreviewLegendReturn");
  if (scene_.Overcut()) swatch(kOvercutColour, "PreviewLegendOvercut");
  lblLegend->setText(rows.join(QStringLiteral("<br>")));
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
