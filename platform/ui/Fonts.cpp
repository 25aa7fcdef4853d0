#include "platform/ui/Fonts.h"

#include <fontconfig/fontconfig.h>

#include <QFontMetrics>
#include <map>
#include <string>

namespace ui {

QString MatchFontFamily(const char* lpszFace) {
    static std::map<std::string, QString> cache;
    std::string face = lpszFace ? lpszFace : "";
    auto it = cache.find(face);
    if (it != cache.end()) return it->second;

    QString family = QString::fromUtf8(face.c_str());
    if (FcInit()) {
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
        FcLangSet* langs = FcLangSetCreate();
        FcLangSetAdd(langs, reinterpret_cast<const FcChar8*>("zh-cn"));
        FcPatternAddLangSet(pattern, FC_LANG, langs);
        FcLangSetDestroy(langs);
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result;
        if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
            FcChar8* name = nullptr;
            if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch && name)
                family = QString::fromUtf8(reinterpret_cast<const char*>(name));
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
    }
    cache[face] = family;
    return family;
}

QFont DialogFont(const char* lpszFace, int nPointSize) {
    QFont font(MatchFontFamily(lpszFace));
    // Points to pixels as the dialog manager does at 96 pixels per inch: MulDiv(pt, 96, 72).
    font.setPixelSize((nPointSize * 96 + 36) / 72);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QSize DialogBaseUnits(const QFont& font) {
    QFontMetrics metrics(font);
    int width = metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    // The height is the character cell of the face the template names: the classic CJK faces
    // have ascent plus descent equal to the em, so their cell is the pixel size.  The fonts that
    // stand in for them are taller in their line metrics, which would stretch every dialog.
    int height = font.pixelSize() > 0 ? font.pixelSize() : metrics.height();
    return QSize((width / 26 + 1) / 2, height);
}

}  // namespace ui
