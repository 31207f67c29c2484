// The window position keeper on real top-level widgets (offscreen), with its registry in a temporary
// Skimplane.reg.
#include <gtest/gtest.h>

#include <QWidget>
#include <memory>
#include <vector>

#include "TempDir.h"
#include "dvTools/RegistryHive.h"
#include "dvTools/dvError.h"
#include "dvWidgets/dvWinPos.h"

namespace {

constexpr const char* kFormKey = "HKEY_LOCAL_MACHINE\\Software\\Dravik\\AutoPos\\frmSkimplane";

// The main window as the keeper sees it: a named top-level widget at its designed place.
std::unique_ptr<QWidget> MakeForm() {
  auto form = std::make_unique<QWidget>();
  form->setObjectName("frmSkimplane");
  form->move(500, 214);
  form->resize(300, 200);
  return form;
}

struct Fixture {
  TempDir dir;
  std::unique_ptr<QWidget> form = MakeForm();
  TDVWinPos* keeper = new TDVWinPos(form.get(), dir / "Skimplane.reg");
  std::vector<std::pair<char, std::uint8_t>> events;  // 'R' restore, 'S' save, 'E' error (set or number)

  Fixture() {
    keeper->OnRestorePos = [this](TDVWinPos* sender, TPosMode set) {
      EXPECT_EQ(sender, keeper);
      events.push_back({'R', set.Bits()});
    };
    keeper->OnSavePos = [this](TDVWinPos*, TPosMode set) { events.push_back({'S', set.Bits()}); };
    keeper->OnError = [this](TDVWinPos*, std::int32_t error) {
      events.push_back({'E', static_cast<std::uint8_t>(error)});
    };
  }
  // The form goes first, while the events the keeper reports at its end can still be recorded.
  ~Fixture() { form.reset(); }
  Fixture(const Fixture&) = delete;
  Fixture& operator=(const Fixture&) = delete;
  [[nodiscard]] std::filesystem::path File() const { return dir / "Skimplane.reg"; }
  void Store(const std::string& values, const char* key = kFormKey) {
    WriteBytes(File(), "Windows Registry Editor Version 5.00\r\n\r\n[" + std::string(key) + "]\r\n" + values);
  }
  [[nodiscard]] RegistryHive Hive() const { return RegistryHive::Parse(ReadBytes(File())); }
};

std::uint8_t Bits(TPosMode mode) {
  return mode.Bits();
}

}  // namespace

TEST(DVWinPos, Defaults) {
  Fixture f;
  EXPECT_EQ(f.keeper->parent(), f.form.get());
  EXPECT_EQ(f.keeper->ParentKey(), prAutoSavePos);
  EXPECT_EQ(f.keeper->Key(), "");
  EXPECT_EQ(f.keeper->PosMode(), (TPosMode{pmLeft, pmTop}));
  EXPECT_EQ(f.keeper->PosMode().Bits(), 3);
  EXPECT_TRUE(f.keeper->AutoCreateKey());
  EXPECT_TRUE(f.keeper->Active());
  EXPECT_EQ(f.keeper->DesignPreView(), pvNone);
  EXPECT_EQ((TPosMode{pmLeft, pmTop, pmWidth, pmHeight, pmWindowState}).Bits(), 31);
  EXPECT_THROW(TDVWinPos(nullptr, f.dir / "Skimplane.reg"), EDVError);
  // Making the keeper touches no registry.
  EXPECT_FALSE(std::filesystem::exists(f.File()));
}

TEST(DVWinPos, KeyIsNormalisedWhenSet) {
  const struct {
    const char* in;
    const char* key;
    bool autoCreate;
  } rows[] = {
      {"", "", true},
      {"abc", "\\abc", false},
      {"\\abc", "\\abc", false},
      {"abc\\", "\\abc", false},
      {"abc\\\\", "\\abc\\", false},  // only one trailing backslash goes
      {"a\\b", "\\a\\b", false},
      {"\\", "", false},  // a lone backslash leaves an empty key that is not allowed
  };
  for (const auto& r : rows) {
    Fixture f;
    f.keeper->SetAutoCreateKey(!r.autoCreate);
    f.keeper->SetKey(r.in);
    EXPECT_EQ(f.keeper->Key(), r.key) << r.in;
    EXPECT_EQ(f.keeper->AutoCreateKey(), r.autoCreate) << r.in;
  }
}

TEST(DVWinPos, KeyPathsOfTheParentKeys) {
  const struct {
    TParentRegKey parent;
    const char* key;
    const char* path;
  } rows[] = {
      {prDravik, "", "\\Software\\Dravik"},
      {prDravik, "Tool", "\\Software\\Dravik\\Tool"},
      {prAutoSavePos, "", "\\Software\\Dravik\\AutoPos\\frmSkimplane"},
      {prAutoSavePos, "Sub\\", "\\Software\\Dravik\\AutoPos\\Sub\\frmSkimplane"},
      {prDVPlugKey, "", "\\Software\\Dravik\\Plug"},
      {prDVPlugKey, "\\P", "\\Software\\Dravik\\Plug\\P"},
      {prSoftWare, "", "\\Software"},
      {prSoftWare, "Vendor\\App", "\\Software\\Vendor\\App"},
  };
  for (const auto& r : rows) {
    Fixture f;
    f.keeper->SetParentKey(r.parent);
    f.keeper->SetKey(r.key);
    EXPECT_EQ(f.keeper->KeyPath(), r.path) << r.parent << " " << r.key;
    // Saving goes exactly there.
    f.keeper->SetAutoCreateKey(true);
    f.keeper->SavePos();
    EXPECT_EQ(f.Hive().ReadInteger("HKEY_LOCAL_MACHINE" + std::string(r.path), "Left"), 500) << r.path;
  }
}

TEST(DVWinPos, AnEmptyKeyThatIsNotAllowedRaisesAndTouchesNothing) {
  Fixture f;
  f.keeper->SetKey("\\");
  const std::function<void()> calls[] = {[&] { f.keeper->RestorePos(); }, [&] { f.keeper->SavePos(); },
                                         [&] { f.keeper->Loaded(); }, [&] { f.keeper->SetActive(true); }};
  for (const auto& call : calls) {
    try {
      call();
      FAIL() << "no exception";
    } catch (const EDVError& e) {
      EXPECT_STREQ(e.what(), "Not specifty Key!");
    }
  }
  EXPECT_TRUE(f.events.empty());
  EXPECT_FALSE(std::filesystem::exists(f.File()));
  // Allowing the empty key again, either way, makes it work.
  f.keeper->SetAutoCreateKey(true);
  EXPECT_NO_THROW(f.keeper->RestorePos());
  f.keeper->SetKey("\\");
  f.keeper->SetKey("");
  EXPECT_NO_THROW(f.keeper->SavePos());
  // The form's destruction does not pass the exception on.
  f.keeper->SetKey("\\");
  EXPECT_NO_THROW(f.form.reset());
}

TEST(DVWinPos, ResultSetsOfRestore) {
  const struct {
    const char* name;
    TPosMode mode;
    std::string stored;
    std::uint8_t set;
    QRect frame;
    Qt::WindowStates state;
  } rows[] = {
      {"first run: nothing stored", {pmLeft, pmTop}, "", 0, QRect(500, 214, 300, 200), Qt::WindowNoState},
      {"left and top",
       {pmLeft, pmTop},
       "\"Left\"=dword:0000000a\r\n\"Top\"=dword:00000014\r\n",
       Bits({pmLeft, pmTop}),
       QRect(10, 20, 300, 200),
       Qt::WindowNoState},
      {"a missing value leaves its edge",
       {pmLeft, pmTop},
       "\"Top\"=dword:00000014\r\n",
       Bits({pmTop}),
       QRect(500, 20, 300, 200),
       Qt::WindowNoState},
      {"values not chosen are not read",
       {pmTop},
       "\"Left\"=dword:0000000a\r\n\"Top\"=dword:00000014\r\n\"Width\"=dword:00000190\r\n",
       Bits({pmTop}),
       QRect(500, 20, 300, 200),
       Qt::WindowNoState},
      {"all edges and sizes",
       {pmLeft, pmTop, pmWidth, pmHeight},
       "\"Left\"=dword:0000000a\r\n\"Top\"=dword:00000014\r\n\"Width\"=dword:00000190\r\n"
       "\"Height\"=dword:00000064\r\n",
       Bits({pmLeft, pmTop, pmWidth, pmHeight}),
       QRect(10, 20, 400, 100),
       Qt::WindowNoState},
      {"maximised: the state only",
       {pmLeft, pmTop, pmWindowState},
       "\"WindowState\"=dword:00000002\r\n\"Left\"=dword:0000000a\r\n",
       Bits({pmWindowState}),
       QRect(500, 214, 300, 200),
       Qt::WindowMaximized},
      {"normal state: the edges follow",
       {pmLeft, pmWindowState},
       "\"WindowState\"=dword:00000000\r\n\"Left\"=dword:0000000a\r\n",
       Bits({pmWindowState, pmLeft}),
       QRect(10, 214, 300, 200),
       Qt::WindowNoState},
      {"an unknown state is a normal window",
       {pmLeft, pmWindowState},
       "\"WindowState\"=dword:00000107\r\n\"Left\"=dword:0000000a\r\n",
       Bits({pmWindowState, pmLeft}),
       QRect(10, 214, 300, 200),
       Qt::WindowNoState},
      {"only the low byte of the state counts: 0x102 is maximised",
       {pmLeft, pmTop, pmWindowState},
       "\"WindowState\"=dword:00000102\r\n\"Left\"=dword:0000000a\r\n",
       Bits({pmWindowState}),
       QRect(500, 214, 300, 200),
       Qt::WindowMaximized},
      {"only the low byte of the state counts: 0xffffff02 is maximised",
       {pmLeft, pmTop, pmWindowState},
       "\"WindowState\"=dword:ffffff02\r\n\"Left\"=dword:0000000a\r\n",
       Bits({pmWindowState}),
       QRect(500, 214, 300, 200),
       Qt::WindowMaximized},
      {"only the low byte of the state counts: 0x200 is a normal window",
       {pmLeft, pmWindowState},
       "\"WindowState\"=dword:00000200\r\n\"Left\"=dword:0000000a\r\n",
       Bits({pmWindowState, pmLeft}),
       QRect(10, 214, 300, 200),
       Qt::WindowNoState},
      {"state not chosen: edges whatever is stored",
       {pmLeft},
       "\"WindowState\"=dword:00000002\r\n\"Left\"=dword:0000000a\r\n",
       Bits({pmLeft}),
       QRect(10, 214, 300, 200),
       Qt::WindowNoState},
      {"off every screen: the designed place stays",
       {pmLeft, pmTop},
       "\"Left\"=dword:00002710\r\n\"Top\"=dword:00000014\r\n",
       0,
       QRect(500, 214, 300, 200),
       Qt::WindowNoState},
      {"off screen keeps the restored size",
       {pmLeft, pmWidth},
       "\"Left\"=dword:ffffd8f0\r\n\"Width\"=dword:00000190\r\n",
       Bits({pmWidth}),
       QRect(500, 214, 400, 200),
       Qt::WindowNoState},
  };
  for (const auto& r : rows) {
    Fixture f;
    if (!r.stored.empty()) f.Store(r.stored);
    f.keeper->SetPosMode(r.mode);
    f.keeper->Loaded();
    ASSERT_EQ(f.events.size(), 1u) << r.name;
    EXPECT_EQ(f.events[0], std::make_pair('R', r.set)) << r.name;
    EXPECT_EQ(f.form->windowState(), r.state) << r.name;
    if (r.state == Qt::WindowNoState) {
      EXPECT_EQ(f.form->frameGeometry(), r.frame) << r.name;
    }
    // The first run leaves the key behind, empty.
    EXPECT_TRUE(f.Hive().KeyExists(kFormKey)) << r.name;
  }
}

TEST(DVWinPos, ResultSetsOfSave) {
  const struct {
    const char* name;
    TPosMode mode;
    Qt::WindowStates state;
    std::uint8_t set;
    std::vector<std::pair<const char*, std::optional<std::int32_t>>> values;
  } rows[] = {
      {"left and top",
       {pmLeft, pmTop},
       Qt::WindowNoState,
       Bits({pmLeft, pmTop}),
       {{"Left", 30}, {"Top", 40}, {"Width", std::nullopt}, {"WindowState", std::nullopt}}},
      {"state and left on a normal form",
       {pmWindowState, pmLeft},
       Qt::WindowNoState,
       Bits({pmWindowState, pmLeft}),
       {{"WindowState", 0}, {"Left", 30}, {"Top", std::nullopt}}},
      {"maximised: the state only, old edges stay",
       {pmWindowState, pmLeft, pmTop},
       Qt::WindowMaximized,
       Bits({pmWindowState}),
       {{"WindowState", 2}, {"Left", 1}, {"Top", std::nullopt}}},
      {"minimised",
       {pmWindowState, pmWidth},
       Qt::WindowMinimized,
       Bits({pmWindowState}),
       {{"WindowState", 1}, {"Width", std::nullopt}}},
      {"sizes are the outer size",
       {pmWidth, pmHeight},
       Qt::WindowNoState,
       Bits({pmWidth, pmHeight}),
       {{"Width", 300}, {"Height", 200}, {"Left", 1}}},
  };
  for (const auto& r : rows) {
    Fixture f;
    f.Store("\"Left\"=dword:00000001\r\n");
    f.form->move(30, 40);
    f.form->setWindowState(r.state);
    f.keeper->SetPosMode(r.mode);
    f.keeper->SavePos();
    ASSERT_EQ(f.events.size(), 1u) << r.name;
    EXPECT_EQ(f.events[0], std::make_pair('S', r.set)) << r.name;
    const RegistryHive hive = f.Hive();
    for (const auto& [name, value] : r.values)
      EXPECT_EQ(hive.ReadInteger(kFormKey, name), value) << r.name << " " << name;
  }
}

TEST(DVWinPos, FailuresGoToOnErrorOnly) {
  // A Left stored as text: restoring stops there, Top is not read, the window stays where it was designed.
  {
    Fixture f;
    f.Store("\"Left\"=\"500\"\r\n\"Top\"=dword:00000014\r\n");
    f.keeper->Loaded();
    EXPECT_EQ(f.events, (std::vector<std::pair<char, std::uint8_t>>{{'E', 1}}));
    EXPECT_EQ(f.form->pos(), QPoint(500, 214));
  }
  // A Top stored as text: Left, read before it, still takes effect.
  {
    Fixture f;
    f.Store("\"Left\"=dword:0000000a\r\n\"Top\"=hex:14,00,00,00\r\n");
    f.keeper->Loaded();
    EXPECT_EQ(f.events, (std::vector<std::pair<char, std::uint8_t>>{{'E', 1}}));
    EXPECT_EQ(f.form->pos(), QPoint(10, 214));
  }
  // Without OnError nothing at all is reported.
  {
    Fixture f;
    f.Store("\"Left\"=\"500\"\r\n");
    f.keeper->OnError = nullptr;
    EXPECT_NO_THROW(f.keeper->Loaded());
    EXPECT_TRUE(f.events.empty());
  }
}

namespace {

// A registry that takes the key but refuses to store one value.
class RefusingStore : public RegistryFileStore {
 public:
  RefusingStore(std::filesystem::path file, std::string refused)
      : RegistryFileStore(std::move(file)), refused_(std::move(refused)) {}
  void WriteInteger(std::string_view name, std::int32_t value) override {
    if (name == refused_) throw EDVError("Failed to set data for '" + refused_ + "'");
    RegistryFileStore::WriteInteger(name, value);
  }

 private:
  std::string refused_;
};

}  // namespace

TEST(DVWinPos, ARefusedWriteSkipsTheRestAndReportsTwo) {
  TempDir dir;
  std::vector<std::int32_t> errors;  // before the form: the keeper reports into them at the form's end
  bool saved = false;
  auto form = MakeForm();
  form->move(30, 40);
  auto* keeper = new TDVWinPos(form.get(), std::make_unique<RefusingStore>(dir / "Skimplane.reg", "Left"));
  keeper->OnError = [&](TDVWinPos*, std::int32_t e) { errors.push_back(e); };
  keeper->OnSavePos = [&](TDVWinPos*, TPosMode) { saved = true; };
  keeper->SavePos();
  EXPECT_EQ(errors, std::vector<std::int32_t>{2});
  EXPECT_FALSE(saved);
  EXPECT_FALSE(RegistryHive::Parse(ReadBytes(dir / "Skimplane.reg")).ValueExists(kFormKey, "Top"));
}

TEST(DVWinPos, AKeyThatCannotBeOpenedGivesAnEmptySetAndNoError) {
  std::vector<std::pair<char, std::uint8_t>> events;
  auto form = MakeForm();
  // Nobody may create files in /proc, not even the super-user.
  auto* keeper = new TDVWinPos(form.get(), std::filesystem::path("/proc/Skimplane.reg"));
  keeper->OnRestorePos = [&](TDVWinPos*, TPosMode s) { events.push_back({'R', s.Bits()}); };
  keeper->OnSavePos = [&](TDVWinPos*, TPosMode s) { events.push_back({'S', s.Bits()}); };
  keeper->OnError = [&](TDVWinPos*, std::int32_t e) {
    events.push_back({'E', static_cast<std::uint8_t>(e)});
  };
  keeper->Loaded();
  keeper->SavePos();
  EXPECT_EQ(events, (std::vector<std::pair<char, std::uint8_t>>{{'R', 0}, {'S', 0}}));
  EXPECT_EQ(form->pos(), QPoint(500, 214));
}

TEST(DVWinPos, ActiveTrueMovesAShownFormAtOnce) {
  Fixture f;
  f.keeper->SetActive(false);
  f.Store("\"Left\"=dword:0000000a\r\n\"Top\"=dword:00000014\r\n");
  f.keeper->Loaded();  // inactive: nothing
  f.form->show();
  EXPECT_TRUE(f.events.empty());
  EXPECT_EQ(f.form->pos(), QPoint(500, 214));
  f.keeper->SetActive(true);
  EXPECT_EQ(f.form->pos(), QPoint(10, 20));
  // An inactive keeper does not save when the form goes.
  f.keeper->SetActive(false);
  f.form->move(70, 80);
  f.form.reset();
  EXPECT_EQ(f.Hive().ReadInteger(kFormKey, "Left"), 10);
}

TEST(DVWinPos, TheWindowReopensWhereItWasClosed) {
  TempDir dir;
  const auto file = dir / "Skimplane.reg";
  // First run: no hive yet; the window opens at its designed place and its edges are written at exit.
  {
    auto form = MakeForm();
    auto* keeper = new TDVWinPos(form.get(), dir / "Skimplane.reg");
    keeper->setObjectName("DVWinPos1");
    keeper->Loaded();
    form->show();
    EXPECT_EQ(form->pos(), QPoint(500, 214));
    form->move(123, 77);
    form->close();
  }  // the form is destroyed here, and the keeper with it
  EXPECT_EQ(ReadBytes(file),
            "Windows Registry Editor Version 5.00\r\n"
            "\r\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Dravik\\AutoPos\\frmSkimplane]\r\n"
            "\"Left\"=dword:0000007b\r\n"
            "\"Top\"=dword:0000004d\r\n"
            "\r\n");
  // Next run: the window opens at the stored place.
  {
    auto form = MakeForm();
    new TDVWinPos(form.get(), dir / "Skimplane.reg");
    form->findChild<TDVWinPos*>()->Loaded();
    form->show();
    EXPECT_EQ(form->pos(), QPoint(123, 77));
  }
}
