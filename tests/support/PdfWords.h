#pragma once

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QVector>

// The words of a PDF with their boxes in millimetres from the page's top-left corner, as
// `pdftotext -bbox` reports them (the top is that of the font's line box, not of the ink).
struct PdfWords {
    struct Word {
        int page;
        QString text;
        double left;
        double top;
        double right;
        double bottom;
    };
    struct Page {
        double width;
        double height;
    };

    QVector<Page> pages;
    QVector<Word> words;
    QString error;

    static PdfWords read(const QString& pdf) {
        PdfWords out;
        QProcess run;
        run.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
        if (!run.waitForFinished(30000) || run.exitCode() != 0) {
            out.error =
                QStringLiteral("pdftotext failed: ") + QString::fromLocal8Bit(run.readAllStandardError());
            return out;
        }
        const QString html = QString::fromUtf8(run.readAllStandardOutput());
        const double mm = 25.4 / 72.0;
        static const QRegularExpression tag(
            QStringLiteral("<page width=\"([0-9.]+)\" height=\"([0-9.]+)\">|<word xMin=\"([0-9.]+)\" "
                           "yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>"));
        for (auto it = tag.globalMatch(html); it.hasNext();) {
            const auto m = it.next();
            if (!m.captured(1).isEmpty()) {
                out.pages.append({m.captured(1).toDouble() * mm, m.captured(2).toDouble() * mm});
                continue;
            }
            QString text = m.captured(7);
            text.replace(QStringLiteral("&apos;"), QStringLiteral("'"))
                .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
                .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
                .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
                .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
            out.words.append({int(out.pages.size()), text, m.captured(3).toDouble() * mm,
                              m.captured(4).toDouble() * mm, m.captured(5).toDouble() * mm,
                              m.captured(6).toDouble() * mm});
        }
        return out;
    }

    QString texts() const {
        QStringList out;
        for (const Word& w : words)
            out << w.text;
        return out.join(QLatin1Char(' '));
    }

    // The word a printed value starts with. Qt's PDF text map is not exact: a CJK glyph shared
    // with a Kangxi radical reads back as the radical (NFKC folds it), and digits shaped next to
    // letters may read back as nothing, which splits the value; its first word still starts at
    // the value's left edge.
    const Word* find(const QString& value) const {
        const QString wanted = value.normalized(QString::NormalizationForm_KC);
        const Word* best = nullptr;
        for (const Word& w : words) {
            const QString text = w.text.normalized(QString::NormalizationForm_KC);
            if (!text.isEmpty() && wanted.startsWith(text) && (!best || text.size() > best->text.size()))
                best = &w;
        }
        return best;
    }
};
