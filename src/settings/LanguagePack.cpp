#include "settings/LanguagePack.h"

#include <iterator>
#include <system_error>

#include "dvTools/Utf8Path.h"
#include "dvTools/dvStrTools.h"

#include <QByteArray>
#include <QStringDecoder>

namespace {

constexpr const char* kCreditControl = "lblLangPack";
constexpr const char* kCreditPrefix = "LangPack:";
constexpr int kTranslatableTag = 9;

// Sheet1, Sheet2, ... caption these pages, by page and not by their place on screen: the machining
// page came later and sits before About, and every pack keeps captioning the pages it did.
constexpr const char* kSheetPages[] = {"tabFace", "tabKnit", "tabOption", "tabAbout", "tabMachining"};

// CheckBox1, CheckBox2, ... re-caption these, in this order.
constexpr const char* kChoiceControls[] = {"opnDelta",    "opnXArrow", "opnYArrow",      "chkClearEnd",
                                           "opnZUpRel",   "opnZUpAbs", "opnPlunge",      "opnRamp",
                                           "opnBothWays", "opnClimb",  "opnConventional"};
// The first six are re-captioned even when a pack lacks their key (they then show no caption at all, as
// they always did); the later ones only by a pack that has theirs, so that an older pack leaves them in
// the window's own words instead of blank.
constexpr std::size_t kChoicesAlwaysCaptioned = 6;

}  // namespace

int CharsetCode(std::string_view name) {
  const std::string upper = UpperCase(name);
  if (upper == "ANSI_CHARSET") return kAnsiCharset;
  if (upper == "GB2312_CHARSET") return kGB2312Charset;
  if (upper == "CHINESEBIG5_CHARSET") return kChineseBig5Charset;
  return kDefaultCharset;
}

QString DecodePackText(std::string_view bytes, int charset) {
  const QByteArray raw(bytes.data(), static_cast<qsizetype>(bytes.size()));
  const char* codec = nullptr;
  switch (charset) {
    case kAnsiCharset:
      codec = "windows-1252";
      break;
    case kGB2312Charset:
      codec = "GBK";
      break;
    case kChineseBig5Charset:
      codec = "Big5";
      break;
    default:
      break;
  }
  // A decoder that keeps its state holds back an incomplete character at the end instead of inventing
  // a replacement for it; a font name cut at its byte limit loses only the half character.
  QStringDecoder decoder = codec ? QStringDecoder(codec) : QStringDecoder(QStringDecoder::System);
  if (!decoder.isValid()) return QString::fromLatin1(raw);
  return decoder.decode(raw);
}

void LoadLanguagePack(TDVIniFile& ini, ISettingsWindow& window, const std::filesystem::path& packFile) {
  ini.LoadFromFile(packFile);
  ini.SetQuotedStrings(true);
  ApplyLanguagePack(ini, window);
}

void ApplyLanguagePack(TDVIniFile& ini, ISettingsWindow& window) {
  ini.OpenRootKey("Option");
  ini.OpenSubKey();
  // The character set decides how every text of the pack is read, the font's name included, so it is
  // looked up first; the font takes it only after its name, as the window expects.
  const int charset = CharsetCode(ini.ReadString("Charset"));
  const auto text = [&](std::string_view key) { return DecodePackText(ini.ReadString(key), charset); };

  const std::string fontName = ini.ReadString("FontName").substr(0, kFontNameBytes);
  if (!fontName.empty()) window.SetFontName(DecodePackText(fontName, charset));
  window.SetFontCharset(charset);
  if (ini.ValueExists("QtLocale")) window.SetDialogLanguage(text("QtLocale"));
  window.SetCaption(kCreditControl, QString::fromLatin1(kCreditPrefix) + text("LangPack"));

  ini.OpenRootKey("Lang");
  ini.OpenSubKey();
  for (std::size_t i = 0; i < std::size(kSheetPages); ++i) {
    const std::string key = "Sheet" + std::to_string(i + 1);
    if (ini.ValueExists(key)) window.SetCaption(kSheetPages[i], text(key));
  }
  window.VisitComponents([&](const TComponentInfo& c) {
    if (c.Kind == TComponentKind::ckLabel && c.Tag == kTranslatableTag && ini.ValueExists(c.Name))
      window.SetCaption(c.Name, text(c.Name));
  });
  for (std::size_t i = 0; i < std::size(kChoiceControls); ++i) {
    const std::string key = "CheckBox" + std::to_string(i + 1);
    if (i < kChoicesAlwaysCaptioned || ini.ValueExists(key)) window.SetCaption(kChoiceControls[i], text(key));
  }
  if (ini.ValueExists("Preview")) window.SetCaption("btnPreview", text("Preview"));
  for (const std::string& key : window.OtherCaptionKeys())
    if (ini.ValueExists(key)) window.SetOtherCaption(key, text(key));
  // The controller box: its caption, and its entries in their order separated by "|".
  if (ini.ValueExists("Controller")) window.SetCaption("lblController", text("Controller"));
  if (ini.ValueExists("Controllers")) window.SetCaption("cmbController", text("Controllers"));
}

void LoadSettings(ISettingsWindow& window, TJobEntries& entries, const TSettingsPlace& place) {
  const std::filesystem::path path = BesideExecutable(SettingsFolderOf(place), kSettingsFileName);
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return;
  TDVIniFile ini;
  ini.SetDecimalSeparator(place.DecimalSeparator);
  LoadSettingsDocument(ini, path);
  ini.SetQuotedStrings(true);
  const TSettingsRead read = ReadSettings(ini, entries, Utf8FromPath(path));
  // The pack is applied even after a bad entry; the entries' errors are reported
  // together, once the pack is in.
  if (!read.PackName.empty()) LoadLanguagePack(ini, window, LanguagePackFile(place, read.PackName));
  read.RaiseFailures();
}
