#pragma once

#include "print/PrintDevice.h"

#include <QRect>
#include <QVector>

namespace print {

// A stand-in device that draws nothing: it measures text with the real device, so that the
// renderer runs exactly as for the page, and keeps the rectangle each item would cover (text:
// its advance × its em height; lines: their stroke), tagged with the item being printed.
class ExtentProbe final : public PrintDevice {
public:
    struct Extent {
        QString item;
        QRect rect; // device pixels, origin at the printable area's corner
    };

    explicit ExtentProbe(PrintDevice& device) : m_device(device) {}

    // The item whose drawing follows.
    void setItem(const QString& name) { m_item = name; }
    const QVector<Extent>& extents() const { return m_extents; }
    // Items (in the order they were drawn, each once) with a mark beyond the printable area by
    // more than the given margin in device pixels.
    QStringList itemsOutside(const QSize& printable, int margin) const;

    QStringList printerNames() const override { return m_device.printerNames(); }
    bool selectPrinter(const QString&) override { return false; }
    QString printerName() const override { return m_device.printerName(); }
    int resolutionX() const override { return m_device.resolutionX(); }
    int resolutionY() const override { return m_device.resolutionY(); }
    int physicalOffsetX() const override { return m_device.physicalOffsetX(); }
    int physicalOffsetY() const override { return m_device.physicalOffsetY(); }
    void setOrientation(Orientation) override {}
    Orientation orientation() const override { return m_device.orientation(); }
    void setCopies(int) override {}
    int copies() const override { return m_device.copies(); }
    void setTitle(const QString&) override {}
    QString title() const override { return m_device.title(); }
    Paper paper() const override { return m_device.paper(); }
    void setPaper(const Paper&) override {}
    QSize printableSize() const override { return m_device.printableSize(); }
    SetupResult setupDialog(QWidget*) override { return SetupResult::Rejected; }
    void beginDocument() override {}
    void newPage() override {}
    void endDocument() override {}
    void abort() override {}
    bool isPrinting() const override { return false; }
    // The font goes to the real device too: its metrics measure the text.
    void setFontName(const QString& face) override { m_device.setFontName(face); }
    void setFontSize(int points) override;
    void setBold(bool on) override { m_device.setBold(on); }
    void setItalic(bool on) override { m_device.setItalic(on); }
    void setUnderline(bool on) override { m_device.setUnderline(on); }
    void setColor(const QColor&) override {}
    int textWidth(const QString& text) const override { return m_device.textWidth(text); }
    void drawText(int x, int y, const QString& text) override;
    void setPenWidth(int pixels) override { m_pen = pixels; }
    void drawLine(int x1, int y1, int x2, int y2) override;
    void drawImage(const QRect& target, const QImage& image) override;

private:
    PrintDevice& m_device;
    QString m_item;
    QVector<Extent> m_extents;
    int m_points = 9;
    int m_pen = 1;
};

} // namespace print
