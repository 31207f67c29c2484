#include "dvWidgets/dvWinPos.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <exception>

#include "dvTools/dvError.h"

namespace {

constexpr const char* kValueNames[] = {"Left", "Top", "Width", "Height"};
constexpr TPosModeItem kEdgeItems[] = {pmLeft, pmTop, pmWidth, pmHeight};

QWidget* RequireForm(QWidget* owner) {
  if (!owner) throw EDVError("Invalid class typecast");
  return owner;
}

std::int32_t StateCode(Qt::WindowStates state) {
  if (state & Qt::WindowMinimized) return 1;
  if (state & Qt::WindowMaximized) return 2;
  return 0;
}

// Far beyond the largest desktop, yet small enough that a rectangle there never overflows.
constexpr std::int32_t kFarthestEdge = 1 << 24;
// The top strip of a frame that holds the title bar, and how much of it must lie on a screen.
constexpr int kTitleStripHeight = 20;
constexpr QSize kMinTitleGrip(40, 20);

}  // namespace

bool AnyScreenShows(const QRect& frame) {
  const QList<QScreen*> screens = QGuiApplication::screens();
  if (screens.isEmpty()) return true;  // nothing to judge by
  // The user moves a window by its title bar: enough of the frame's top strip must lie on one screen to
  // take hold of it.
  const QRect titleStrip(frame.left(), frame.top(), std::max(frame.width(), 1), kTitleStripHeight);
  for (const QScreen* screen : screens) {
    const QRect shown = screen->geometry().intersected(titleStrip);
    if (shown.width() >= kMinTitleGrip.width() && shown.height() >= kMinTitleGrip.height()) return true;
  }
  return false;
}

TDVWinPos::TDVWinPos(QWidget* owner, const std::filesystem::path& hiveFile)
    : TDVWinPos(owner, MakeMachineRegistry(hiveFile)) {}

TDVWinPos::TDVWinPos(QWidget* owner, std::unique_ptr<RegistryStore> registry)
    : QObject(RequireForm(owner)), IsOnScreen(AnyScreenShows), registry_(std::move(registry)), owner_(owner) {
  setObjectName(QStringLiteral("DVWinPos1"));
  // The form keeps the place it is given: the window manager is not to choose one for it.
  owner->setAttribute(Qt::WA_Moved, true);
}

TDVWinPos::~TDVWinPos() {
  // The form is being destroyed (this keeper goes with its children) but its geometry is still there.
  if (active_ && owner_) {
    try {
      SavePos();
    } catch (const std::exception&) {
      // Nothing may leave a destructor: an empty Key that is not allowed simply saves nothing.
    }
  }
  owner_ = nullptr;
}

void TDVWinPos::Loaded() {
  if (active_) RestorePos();
}

void TDVWinPos::SetKey(std::string_view value) {
  if (value.empty()) {
    key_.clear();
    autoCreateKey_ = true;
    return;
  }
  std::string key(value);
  if (key.front() != '\\') key.insert(key.begin(), '\\');
  if (key.back() == '\\') key.pop_back();
  key_ = std::move(key);
  autoCreateKey_ = false;
}

void TDVWinPos::SetActive(bool value) {
  active_ = value;
  if (value) RestorePos();
}

std::string TDVWinPos::KeyPath() const {
  switch (parentKey_) {
    case prDravik:
      return "\\Software\\Dravik" + key_;
    case prAutoSavePos:
      return "\\Software\\Dravik\\AutoPos" + key_ + "\\" + (owner_ ? owner_->objectName().toStdString() : "");
    case prDVPlugKey:
      return "\\Software\\Dravik\\Plug" + key_;
    case prSoftWare:
      return "\\Software" + key_;
  }
  return "\\Software" + key_;
}

void TDVWinPos::CheckKey() const {
  if (key_.empty() && !autoCreateKey_) throw EDVError("Not specifty Key!");
}

void TDVWinPos::ApplyRestored(TPosMode& result, const std::int32_t (&values)[4]) {
  QWidget* form = owner_;
  if (!form) return;
  const QRect frame = form->frameGeometry();
  // Stored numbers may be any 32-bit value: far beyond any desktop, the rectangle's own arithmetic would
  // overflow. Such a place is no place; the window keeps its designed one.
  const auto farOff = [](std::int32_t v) { return v < -kFarthestEdge || v > kFarthestEdge; };
  if ((result.Contains(pmLeft) && farOff(values[0])) || (result.Contains(pmTop) && farOff(values[1]))) {
    result.Exclude(pmLeft);
    result.Exclude(pmTop);
  }
  if ((result.Contains(pmWidth) && farOff(values[2])) || (result.Contains(pmHeight) && farOff(values[3]))) {
    result.Exclude(pmWidth);
    result.Exclude(pmHeight);
  }
  QRect target = frame;
  if (result.Contains(pmLeft)) target.moveLeft(values[0]);
  if (result.Contains(pmTop)) target.moveTop(values[1]);
  if (result.Contains(pmWidth)) target.setWidth(values[2]);
  if (result.Contains(pmHeight)) target.setHeight(values[3]);
  // A monitor that has since been unplugged must not leave the window where nobody can reach it: then
  // the window stays at its designed place.
  if ((result.Contains(pmLeft) || result.Contains(pmTop)) && IsOnScreen && !IsOnScreen(target)) {
    result.Exclude(pmLeft);
    result.Exclude(pmTop);
    target.moveTopLeft(frame.topLeft());
  }
  if (result.Contains(pmLeft) || result.Contains(pmTop)) form->move(target.topLeft());
  if (result.Contains(pmWidth) || result.Contains(pmHeight)) {
    // Width and Height are the outer size; the window's own size leaves the frame out.
    const int frameWidth = frame.width() - form->width();
    const int frameHeight = frame.height() - form->height();
    form->resize(target.width() - frameWidth, target.height() - frameHeight);
  }
}

void TDVWinPos::RestorePos() {
  CheckKey();
  const std::string path = KeyPath();
  const bool opened = registry_->OpenKey(std::string_view(path).substr(1), true);
  TPosMode result;
  TPosMode edges;  // edges and sizes read so far; applied together so the screen check sees them all
  std::int32_t values[4] = {0, 0, 0, 0};
  try {
    if (opened && owner_) {
      bool goOn = true;
      if (posMode_.Contains(pmWindowState) && registry_->ValueExists("WindowState")) {
        const std::int32_t state = registry_->ReadInteger("WindowState");
        // Only the low byte counts; anything but minimised or maximised is a normal window.
        switch (state & 0xFF) {
          case 1:
            owner_->setWindowState(Qt::WindowMinimized);
            break;
          case 2:
            owner_->setWindowState(Qt::WindowMaximized);
            break;
          default:
            owner_->setWindowState(Qt::WindowNoState);
            break;
        }
        result.Include(pmWindowState);
        goOn = StateCode(owner_->windowState()) == 0;
      }
      for (int i = 0; i < 4; ++i) {
        if (goOn && posMode_.Contains(kEdgeItems[i]) && registry_->ValueExists(kValueNames[i])) {
          values[i] = registry_->ReadInteger(kValueNames[i]);
          edges.Include(kEdgeItems[i]);
        }
      }
      ApplyRestored(edges, values);
      for (TPosModeItem item : kEdgeItems)
        if (edges.Contains(item)) result.Include(item);
      registry_->CloseKey();
    }
  } catch (const std::exception&) {
    // What was read before the failing value still takes effect; the rest is skipped.
    ApplyRestored(edges, values);
    if (OnError) OnError(this, 1);
    return;
  }
  if (OnRestorePos) OnRestorePos(this, result);
}

void TDVWinPos::SavePos() {
  CheckKey();
  const std::string path = KeyPath();
  const bool opened = registry_->OpenKey(std::string_view(path).substr(1), true);
  TPosMode result;
  try {
    if (opened && owner_) {
      bool goOn = true;
      const std::int32_t state = StateCode(owner_->windowState());
      if (posMode_.Contains(pmWindowState)) {
        registry_->WriteInteger("WindowState", state);
        result.Include(pmWindowState);
        goOn = state == 0;
      }
      const QRect frame = owner_->frameGeometry();
      const std::int32_t values[4] = {owner_->pos().x(), owner_->pos().y(), frame.width(), frame.height()};
      for (int i = 0; i < 4; ++i) {
        if (goOn && posMode_.Contains(kEdgeItems[i])) {
          registry_->WriteInteger(kValueNames[i], values[i]);
          result.Include(kEdgeItems[i]);
        }
      }
      registry_->CloseKey();
    }
  } catch (const std::exception&) {
    if (OnError) OnError(this, 2);
    return;
  }
  if (OnSavePos) OnSavePos(this, result);
}
