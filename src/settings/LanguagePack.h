#pragma once
// Language packs: a file of the settings syntax that re-captions the window and sets its font.
//
// The texts of a pack are bytes in the code page of the character set the pack names ("Charset"); they
// are decoded to Unicode with that code page before they reach the window.

#include <QString>

#include <filesystem>
#include <string>
#include <string_view>

#include "dvTools/dvIniTools.h"
#include "settings/Settings.h"
#include "settings/SettingsWindow.h"

// Character set codes of a window font.
inline constexpr int kAnsiCharset = 0;
inline constexpr int kDefaultCharset = 1;
inline constexpr int kGB2312Charset = 134;
inline constexpr int kChineseBig5Charset = 136;

// The code of a character set name, compared whole after upper-casing its ASCII letters; any other
// text, the empty one included, is the system's default set.
[[nodiscard]] int CharsetCode(std::string_view name);

// The pack text's bytes as Unicode, read in the code page of `charset`: windows-1252, GBK, Big5, or the
// system's own code page for the default set. An incomplete character at the end is dropped.
[[nodiscard]] QString DecodePackText(std::string_view bytes, int charset);

// At most this many bytes of "FontName" name the font.
inline constexpr std::size_t kFontNameBytes = 31;

// Loads the pack file into `ini`, replacing what it held, and applies it to the window.
void LoadLanguagePack(TDVIniFile& ini, ISettingsWindow& window, const std::filesystem::path& packFile);

// Applies a loaded pack: the font, the credit, the pages, the translatable labels and the choices.
void ApplyLanguagePack(TDVIniFile& ini, ISettingsWindow& window);

// The start: without a settings file nothing happens. Otherwise its entries go into `entries` (the
// window's, which it then shows, also when an entry could not be read), and a language pack named by
// "Lang" is loaded and applied to the window.
void LoadSettings(ISettingsWindow& window, TJobEntries& entries, const TSettingsPlace& place);
