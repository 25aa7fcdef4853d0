// Dialog fonts: a face name and point size from a template, matched through fontconfig to an
// installed font that also covers Chinese (the program's texts are Chinese; a plain match of
// "宋体" would pick a Latin font and show empty boxes).
#pragma once

#include <QFont>

namespace ui {

// Family of the installed font that fontconfig picks for the face with Chinese coverage.
QString MatchFontFamily(const char* lpszFace);
// The dialog font of a template: the matched family at the template's size, in pixels at the
// platform's 96 pixels per inch.
QFont DialogFont(const char* lpszFace, int nPointSize);
// Dialog base units of a font, as the dialog manager computes them: the average width of the
// 52 Latin letters (rounded) and the character height (see Fonts.cpp).
QSize DialogBaseUnits(const QFont& font);

}  // namespace ui
