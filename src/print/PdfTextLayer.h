#pragma once

#include <QFont>
#include <QList>
#include <QString>

namespace print {

// The text layer of a PDF written by Qt's PDF engine, made to read back as what was drawn.
// The engine draws glyph by glyph and builds each font's ToUnicode map afterwards by asking the
// font which code point gives each glyph, the lowest first. So a glyph reached through a
// substitution (digits after Latin letters in the CJK fonts) reads as nothing, and a
// unified ideograph that shares its glyph with a radical (高 and ⾼, 角 and ⻆) reads as the
// radical. This keeps the texts drawn on each page, lines them up with the glyph codes of the
// page's content stream and rewrites the maps from them; the pages themselves are left byte for
// byte as the engine drew them, so the printed look cannot change.
//
// A text gives a glyph per character, except where shaping joins or drops some (a ligature, a
// combining accent): each text is taken one for one only when every glyph agrees with what the
// engine's own map says of it (nothing, the same character, or the radical or compatibility
// form of it); otherwise its glyphs are counted by shaping it again in its font and it keeps the
// engine's reading.
class PdfTextLayer {
public:
    void clear() {
        m_pages.clear();
        m_fonts.clear();
    }
    void beginPage() { m_pages.append(QList<Drawn>()); }
    // `font` is the one the text was drawn with.
    void addText(const QString& text, const QFont& font);

    // Rewrites the ToUnicode maps of the PDF at `path` (as the engine wrote it). A page whose
    // glyphs do not line up with its texts keeps the engine's reading. False with `error` when
    // the file could not be read or written; the file is then as it was.
    bool apply(const QString& path, QString* error = nullptr) const;

private:
    struct Drawn {
        QString text;
        qsizetype font = 0; // in m_fonts
    };
    QList<QList<Drawn>> m_pages;
    // The distinct fonts drawn with: a page draws with few, and a font kept per text would cost
    // a copy of its settings each.
    QList<QFont> m_fonts;
};

} // namespace print
