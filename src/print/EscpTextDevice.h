#pragma once

#include "print/PrintDevice.h"
#include "print/PrintError.h"
#include "print/TextModeSettings.h"

#include <QByteArray>
#include <QPoint>
#include <QVector>

namespace print {

// A character of a value that the printer's character set lacks (or a control character that
// would reach the printer as a command). Raised before anything of the job is sent; the job
// names the note and the box (BillPrinter), the renderer fills in the item.
class UnprintableCharacter : public PrintError {
public:
    UnprintableCharacter(uint codePoint, const QString& charsetName);
    uint codePoint() const { return m_codePoint; }
    QString character() const; // the character, or U+XXXX for one that does not show
    const QString& charsetName() const { return m_charset; }
    const QString& item() const { return m_item; }
    void setItem(const QString& name) { m_item = name; }

private:
    uint m_codePoint;
    QString m_charset;
    QString m_item;
};

// A print device that sends the values as characters in the dot-matrix printer's own font:
// ESC/P with the Chinese character mode. Lines and pictures are not printed (the form carries
// them). The device's resolution is its movement units (TextModeSettings), so the plan's
// positions are head positions; its printable area is the whole paper from its top-left corner
// (no physical offsets). A job is kept in memory and handed over whole at endDocument: to the
// CUPS queue of the printer as raw data, or to the raw file. Every page is sent sorted top to
// bottom, then left to right, each value at absolute positions from the top of the form, so the
// paper only moves forward and continuous forms keep their top-of-form page after page.
class EscpTextDevice final : public PrintDevice {
public:
    // The printable sizes of the printer font, chosen from the item's points.
    enum class Size { Condensed, Normal, DoubleHeight, Quadruple };

    explicit EscpTextDevice(TextModeSettings settings = {});
    ~EscpTextDevice() override;

    // Takes effect at the next job; a running job keeps the settings it began with.
    void setSettings(const TextModeSettings& settings);
    TextModeSettings settings() const { return m_settings; }
    // Instead of a CUPS queue, write the stream of the job to this file at endDocument (written
    // aside and renamed). The file then stands for any printer name it is given.
    void setRawFile(const QString& path);
    // The whole stream of the last finished job (for tests and benchmarks).
    QByteArray lastStream() const { return m_lastStream; }

    // The size an item of these points prints in: up to 8 condensed, up to 14 normal (10.5 pt,
    // a 24-dot Chinese character), up to 20 double height, above that quadruple.
    static Size sizeForPoints(int points);
    // The cell of one character in 1/3600 inch: ASCII at 12 cpi (1/12 inch), a Chinese
    // character twice that (1/6 inch); condensed 20 cpi; double width and quadruple twice.
    static int cellWidth3600(Size size, bool chinese);
    // The bytes of text in the set; throws UnprintableCharacter naming the first character
    // the set lacks.
    static QByteArray encode(const QString& text, TextModeSettings::Charset charset);
    static QString charsetName(TextModeSettings::Charset charset);

    QStringList printerNames() const override;
    bool selectPrinter(const QString& name) override;
    QString printerName() const override { return m_printer; }
    int resolutionX() const override { return m_settings.horizontalUnit; }
    int resolutionY() const override { return m_settings.verticalUnit; }
    int physicalOffsetX() const override { return 0; }
    int physicalOffsetY() const override { return 0; }
    void setOrientation(Orientation orientation) override { m_orientation = orientation; }
    Orientation orientation() const override { return m_orientation; }
    void setCopies(int copies) override { m_copies = qMax(1, copies); }
    int copies() const override { return m_copies; }
    void setTitle(const QString& title) override { m_title = title; }
    QString title() const override { return m_title; }
    Paper paper() const override { return m_paper; }
    void setPaper(const Paper& paper) override;
    QSize printableSize() const override;
    bool wantsTemplatePaper() const override { return true; }
    // A text-mode printer has nothing to set up beyond its paper and its parameters: accepted.
    SetupResult setupDialog(QWidget* parent) override;
    void beginDocument() override;
    void newPage() override;
    void endDocument() override;
    void abort() override;
    bool isPrinting() const override { return m_printing; }
    void setFontName(const QString&) override {}
    void setFontSize(int points) override;
    void setBold(bool) override {}
    void setItalic(bool) override {}
    void setUnderline(bool) override {}
    void setColor(const QColor&) override {}
    // Fixed metrics of the printer font at the current size, in device units.
    int textWidth(const QString& text) const override;
    void setTextRoom(int widthPx) override { m_room = widthPx; }
    void drawText(int x, int y, const QString& text) override;
    // The size text prints in: the font's own, or a narrower one where that would not fit the
    // room of its box (double height, then condensed).
    Size sizeFor(const QString& text) const;
    void setPenWidth(int) override {}
    void drawLine(int, int, int, int) override;
    void drawImage(const QRect&, const QImage&) override;

private:
    struct Mark {
        int x; // in the horizontal unit, from the paper's left edge
        int y; // in the vertical unit, from the top of form
        Size size;
        QByteArray bytes;
    };
    void requirePage() const;
    // The page's marks sorted and appended to the job's stream.
    void flushPage();
    QPoint corrected(int x, int y) const;

    TextModeSettings m_settings;
    TextModeSettings m_jobSettings;
    QString m_rawFile;
    QString m_printer;
    QString m_title;
    Orientation m_orientation = Orientation::Portrait;
    int m_copies = 1;
    Paper m_paper;
    Size m_size = Size::Normal;
    int m_room = -1; // none told since the font was set
    bool m_printing = false;
    QVector<Mark> m_page;
    QVector<QByteArray> m_pages; // each page's stream, from its first move to its form feed
    QByteArray m_lastStream;
};

} // namespace print
