#pragma once

#include "print/PrintDevice.h"

#include <QSize>
#include <QVector>

namespace print {

// A print device that keeps every call, for tests and benchmarks. Printers, resolution and
// offsets are set by the test; the set-up dialog answers from setupAnswer (or throws when
// setupFails). Text is one byte-wide cell of half an em per byte, so widths are predictable:
// width = rnd(bytes × points × dpiX / 144).
class RecordingPrintDevice final : public PrintDevice {
public:
    struct Text {
        int page;
        int x;
        int y;
        QString text;
        QString font;
        int size;
        bool bold;
        bool italic;
        bool underline;
        QColor color;
    };
    struct Line {
        int page;
        int x1;
        int y1;
        int x2;
        int y2;
        int penWidth;
    };

    QStringList printers{QStringLiteral("Recorder")};
    int dpiX = 600;
    int dpiY = 600;
    int offsetX = 0;
    int offsetY = 0;
    SetupResult setupAnswer = SetupResult::Accepted;
    bool setupFails = false;
    Paper setupPaper;     // what the clerk picks in the set-up dialog; invalid: no change
    QString setupPrinter; // the printer the last set-up dialog opened on
    Paper paperNow{QPageSize(QPageSize::A4), -1};
    QSize printable{100000, 100000}; // printable area in device pixels (portrait)
    bool printableIsPaper = false;   // instead: the whole of paperNow at the resolution
    bool beginFails = false;
    bool orientationFails = false;

    QVector<Text> texts;
    QVector<Line> lines;
    struct Image {
        int page;
        QRect target;
        QSize size; // the image's own pixels
    };
    QVector<Image> images;
    // "select:NAME", "orientation:L|P", "copies:N", "title:T", "paper:KEY", "setup", "begin",
    // "newPage", "end", "abort" in the order they came.
    QStringList events;
    int pages = 0;
    int documents = 0;

    void clearDrawing();

    QStringList printerNames() const override { return printers; }
    bool selectPrinter(const QString& name) override;
    QString printerName() const override { return m_printer; }
    int resolutionX() const override { return dpiX; }
    int resolutionY() const override { return dpiY; }
    int physicalOffsetX() const override { return offsetX; }
    int physicalOffsetY() const override { return offsetY; }
    void setOrientation(Orientation orientation) override;
    Orientation orientation() const override { return m_orientation; }
    void setCopies(int copies) override;
    int copies() const override { return m_copies; }
    void setTitle(const QString& title) override;
    QString title() const override { return m_title; }
    Paper paper() const override { return paperNow; }
    void setPaper(const Paper& paper) override;
    QSize printableSize() const override;
    SetupResult setupDialog(QWidget* parent) override;
    void beginDocument() override;
    void newPage() override;
    void endDocument() override;
    void abort() override;
    bool isPrinting() const override { return m_printing; }
    void setFontName(const QString& face) override { m_font = face; }
    void setFontSize(int points) override { m_size = points; }
    void setBold(bool on) override { m_bold = on; }
    void setItalic(bool on) override { m_italic = on; }
    void setUnderline(bool on) override { m_underline = on; }
    void setColor(const QColor& color) override { m_color = color; }
    int textWidth(const QString& text) const override;
    void drawText(int x, int y, const QString& text) override;
    void setPenWidth(int pixels) override { m_pen = pixels; }
    void drawLine(int x1, int y1, int x2, int y2) override;
    void drawImage(const QRect& target, const QImage& image) override;

private:
    void requirePage() const;

    QString m_printer = QStringLiteral("Recorder");
    Orientation m_orientation = Orientation::Portrait;
    int m_copies = 1;
    QString m_title;
    bool m_printing = false;
    QString m_font;
    int m_size = 9;
    bool m_bold = false;
    bool m_italic = false;
    bool m_underline = false;
    QColor m_color = Qt::black;
    int m_pen = 1;
};

} // namespace print
