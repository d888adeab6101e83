#pragma once

#include "print/PdfTextLayer.h"
#include "print/PrintDevice.h"

#include <QFont>
#include <QMarginsF>
#include <QPainter>
#include <QPrinter>

#include <memory>

namespace print {

// The print device over QPrinter at the printer's full resolution, full page off, so that the
// painter's origin is the printable area as in a printer context. With an output file the
// device writes a PDF instead of spooling; its one "printer" is then that file.
class QtPrintDevice final : public PrintDevice {
public:
    explicit QtPrintDevice(const QString& outputFile = QString());
    ~QtPrintDevice() override;
    QtPrintDevice(const QtPrintDevice&) = delete;
    QtPrintDevice& operator=(const QtPrintDevice&) = delete;

    // Maps the faces the templates name (宋体, 黑体, 楷体, SimSun, Arial ...) onto installed CJK
    // fonts so that Chinese prints on any machine. Safe to call more than once.
    static void installFontSubstitutes();

    // PDF output only: the unprintable margins of the page, to stand in for a printer's.
    void setPdfMargins(const QMarginsF& millimetres);
    QPrinter& printer() { return *m_printer; }
    // PDF output only: the file takes the place of an installed printer, so the job is what that
    // printer would be sent (its kept paper, its printable area, its correction).
    void standFor(const QString& printer);

    QStringList printerNames() const override;
    bool selectPrinter(const QString& name) override;
    QString printerName() const override;
    int resolutionX() const override;
    int resolutionY() const override;
    int physicalOffsetX() const override;
    int physicalOffsetY() const override;
    void setOrientation(Orientation orientation) override;
    Orientation orientation() const override;
    void setCopies(int copies) override;
    int copies() const override;
    void setTitle(const QString& title) override;
    QString title() const override;
    Paper paper() const override;
    void setPaper(const Paper& paper) override;
    QSize printableSize() const override;
    SetupResult setupDialog(QWidget* parent) override;
    void beginDocument() override;
    void newPage() override;
    void endDocument() override;
    void abort() override;
    bool isPrinting() const override { return m_painter.isActive(); }
    void setFontName(const QString& face) override;
    void setFontSize(int points) override;
    void setBold(bool on) override { m_font.setBold(on); }
    void setItalic(bool on) override { m_font.setItalic(on); }
    void setUnderline(bool on) override { m_font.setUnderline(on); }
    void setColor(const QColor& color) override { m_color = color; }
    int textWidth(const QString& text) const override;
    void drawText(int x, int y, const QString& text) override;
    void setPenWidth(int pixels) override { m_penWidth = pixels; }
    void drawLine(int x1, int y1, int x2, int y2) override;
    void drawImage(const QRect& target, const QImage& image) override;
    void setCorrection(const QTransform& paperMm) override;

private:
    // The correction as the painter's world transform; the painter keeps it over new pages.
    void applyCorrection();
    void requirePrinter() const;
    void requirePage() const;
    QFont deviceFont() const;

    QString m_outputFile;
    QString m_standIn; // the printer a PDF stands for, if any
    std::unique_ptr<QPrinter> m_printer;
    QPainter m_painter;
    QFont m_font;
    int m_points = 9;
    QColor m_color = Qt::black;
    int m_penWidth = 1;
    // PDF output only: what each page says, so the file reads back as printed.
    PdfTextLayer m_textLayer;
};

} // namespace print
