#pragma once
// The program's one look: the Fusion style, a blue-grey palette and a small style sheet, applied once to
// the whole application. The window asks the skin for colours by name, as it did with the original skin
// kit, so a later skin can change them in one place.

#include <QColor>
#include <QString>

class QApplication;

// A colour the skin defines under `name`; an invalid QColor when the skin has none.
[[nodiscard]] QColor SkinColor(const QString& name);
// The page background of every tab sheet, also the ground of the face and overlap diagrams and the
// background of the About text: RGB 243, 245, 247. Falls back to the system's window colour.
[[nodiscard]] QColor ContentColor();
// The window's own background, the "button face" of the skin.
[[nodiscard]] QColor ButtonFaceColor();

// The window font: "宋体" 13 pixels. Where the system has no SimSun, the substitutions that
// InstallFontSubstitutions() registers make Qt land on an installed CJK font; so do the shipped packs'
// fonts (細明體 on Traditional Chinese, Tahoma on a Latin font of nearly its widths).
[[nodiscard]] QString WindowFontFamily();
void InstallFontSubstitutions();

// Registers the compiled-in resources (pictures, icon, style sheet). Safe to call more than once.
void InitResources();
// Fusion style, palette, style sheet and font substitutions for the whole application.
void ApplySkin(QApplication& app);
