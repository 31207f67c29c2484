#pragma once
// dvWinPos: remembers where a form was. Placed on a form (constructed as the form's child), it restores
// the form's left and top edge - optionally width, height and window state - from the machine-wide
// registry once the form is built, and saves them when the form is destroyed.
//
// Geometry used: Left/Top are the position of the window's frame (QWidget::pos() of a top-level window,
// the top-left corner of the title bar and border); Width/Height are the outer (frame) size.
//
// Hooking it to a form:
//   auto* keeper = new TDVWinPos(form, hiveFile);   // child of the form, named DVWinPos1 by the caller
//   ... build the rest of the form ...
//   keeper->Loaded();                     // restores, before the form's creation handler runs
//   ... show, run ...
//   delete form;                          // the keeper is deleted with the form's children and saves then,
//                                         // while the form's geometry is still readable.
// The form's objectName is the form's name in the key path ("frmSkimplane").

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

#include "dvTools/RegistryHive.h"

enum TParentRegKey { prDravik, prAutoSavePos, prDVPlugKey, prSoftWare };
enum TPosModeItem { pmLeft, pmTop, pmWidth, pmHeight, pmWindowState };
enum TPosPreView { pvNone, pvRestore, pvSave };

// A set of TPosModeItem held in one byte: pmLeft 1, pmTop 2, pmWidth 4, pmHeight 8, pmWindowState 16.
class TPosMode {
 public:
  constexpr TPosMode() = default;
  constexpr TPosMode(std::initializer_list<TPosModeItem> items) {
    for (TPosModeItem item : items) Include(item);
  }
  constexpr void Include(TPosModeItem item) { bits_ |= Bit(item); }
  constexpr void Exclude(TPosModeItem item) { bits_ &= static_cast<std::uint8_t>(~Bit(item)); }
  [[nodiscard]] constexpr bool Contains(TPosModeItem item) const { return (bits_ & Bit(item)) != 0; }
  [[nodiscard]] constexpr std::uint8_t Bits() const { return bits_; }
  [[nodiscard]] constexpr bool Empty() const { return bits_ == 0; }
  constexpr bool operator==(const TPosMode&) const = default;

 private:
  static constexpr std::uint8_t Bit(TPosModeItem item) { return static_cast<std::uint8_t>(1u << item); }
  std::uint8_t bits_ = 0;
};

class TDVWinPos;
using TDVWinPosEvent = std::function<void(TDVWinPos* sender, TPosMode posEvent)>;
using TDVWinPosErrorEvent = std::function<void(TDVWinPos* sender, std::int32_t error)>;

class TDVWinPos : public QObject {
  Q_OBJECT

 public:
  // The owner is the form (a top-level widget; null raises EDVError). The keeper becomes its child,
  // named "DVWinPos1", and touches no registry yet. Its registry is the platform's HKEY_LOCAL_MACHINE:
  // the system registry on Windows (the user's hive there, see WindowsRegistry.h), elsewhere the hive
  // file `hiveFile` (the application names it).
  TDVWinPos(QWidget* owner, const std::filesystem::path& hiveFile);
  // The same with any registry; the keeper owns it.
  TDVWinPos(QWidget* owner, std::unique_ptr<RegistryStore> registry);
  // Saves when Active (see the header comment); a failure to save is never raised from here.
  ~TDVWinPos() override;

  // The owner has been built completely: restore when Active. Raises EDVError "Not specifty Key!" for an
  // empty Key that is not allowed.
  void Loaded();

  [[nodiscard]] TParentRegKey ParentKey() const { return parentKey_; }
  void SetParentKey(TParentRegKey value) { parentKey_ = value; }
  // Key below the parent key, kept with one leading backslash and without a trailing one.
  [[nodiscard]] const std::string& Key() const { return key_; }
  void SetKey(std::string_view value);
  [[nodiscard]] TPosMode PosMode() const { return posMode_; }
  void SetPosMode(TPosMode value) { posMode_ = value; }
  [[nodiscard]] bool AutoCreateKey() const { return autoCreateKey_; }
  void SetAutoCreateKey(bool value) { autoCreateKey_ = value; }
  // Setting it true restores at once.
  [[nodiscard]] bool Active() const { return active_; }
  void SetActive(bool value);
  // Without a form designer the preview is only stored.
  [[nodiscard]] TPosPreView DesignPreView() const { return designPreView_; }
  void SetDesignPreView(TPosPreView value) { designPreView_ = value; }

  TDVWinPosEvent OnRestorePos;
  TDVWinPosEvent OnSavePos;
  TDVWinPosErrorEvent OnError;  // 1 = restoring failed, 2 = saving failed

  // The registry path of the key, with its leading backslash ("\Software\Dravik\AutoPos\frmSkimplane").
  [[nodiscard]] std::string KeyPath() const;

  // Restore and save by hand; both raise EDVError "Not specifty Key!" as Loaded does.
  void RestorePos();
  void SavePos();

  // Decides whether a window with this frame rectangle can be reached on some screen. By default: at
  // least 40 x 20 pixels of its top 20-pixel strip (the title bar) lie on one screen (or there are no
  // screens to ask).
  std::function<bool(const QRect& frame)> IsOnScreen;

 private:
  std::unique_ptr<RegistryStore> registry_;
  void CheckKey() const;
  void ApplyRestored(TPosMode& result, const std::int32_t (&values)[4]);

  QPointer<QWidget> owner_;
  TParentRegKey parentKey_ = prAutoSavePos;
  std::string key_;
  TPosMode posMode_{pmLeft, pmTop};
  bool autoCreateKey_ = true;
  bool active_ = true;
  TPosPreView designPreView_ = pvNone;
};

[[nodiscard]] bool AnyScreenShows(const QRect& frame);
