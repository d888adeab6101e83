#pragma once

#include "print/EscpTextDevice.h"
#include "print/PrintDevice.h"
#include "print/TextModeSettings.h"

#include <optional>

namespace core {
class AppContext;
}

namespace print {

// The program's one print device: each printer prints through the graphics device (the page
// driver) or the text device (ESC/P characters), as its TextModeSettings say. The settings are
// read again whenever a printer is chosen, a job is set up (orientation) and a job begins, so the
// printer's parameters hold from the next job on; a running job keeps its device. The job steps,
// the journal and the rest of the print path see one device and stay as they are. Printer,
// paper, orientation, copies, title and correction go to both devices, so a change of mode finds
// the other one ready.
class PrinterModeDevice final : public PrintDevice {
public:
    // The settings are read from app's Config.ini (userIni, asked for each time: the context may
    // open it again).
    PrinterModeDevice(PrintDevice& graphics, EscpTextDevice& text, core::AppContext& app);

    // Overrides every printer's own mode (the command line's --mode); nullopt: each its own.
    void setModeOverride(std::optional<TextModeSettings::Mode> mode);
    TextModeSettings::Mode mode() const { return m_mode; }
    PrintDevice& active() { return current(); }

    QStringList printerNames() const override;
    bool selectPrinter(const QString& name) override;
    QString printerName() const override { return current().printerName(); }
    int resolutionX() const override { return current().resolutionX(); }
    int resolutionY() const override { return current().resolutionY(); }
    int physicalOffsetX() const override { return current().physicalOffsetX(); }
    int physicalOffsetY() const override { return current().physicalOffsetY(); }
    void setOrientation(Orientation orientation) override;
    Orientation orientation() const override { return current().orientation(); }
    void setCopies(int copies) override;
    int copies() const override { return current().copies(); }
    void setTitle(const QString& title) override;
    QString title() const override { return current().title(); }
    Paper paper() const override { return current().paper(); }
    void setPaper(const Paper& paper) override;
    QSize printableSize() const override { return current().printableSize(); }
    bool wantsTemplatePaper() const override { return current().wantsTemplatePaper(); }
    SetupResult setupDialog(QWidget* parent) override;
    void beginDocument() override;
    void newPage() override { current().newPage(); }
    void endDocument() override { current().endDocument(); }
    void abort() override;
    bool isPrinting() const override { return current().isPrinting(); }
    void setFontName(const QString& face) override { current().setFontName(face); }
    void setFontSize(int points) override { current().setFontSize(points); }
    void setBold(bool on) override { current().setBold(on); }
    void setItalic(bool on) override { current().setItalic(on); }
    void setUnderline(bool on) override { current().setUnderline(on); }
    void setColor(const QColor& color) override { current().setColor(color); }
    int textWidth(const QString& text) const override { return current().textWidth(text); }
    void setTextRoom(int widthPx) override { current().setTextRoom(widthPx); }
    void drawText(int x, int y, const QString& text) override { current().drawText(x, y, text); }
    void setPenWidth(int pixels) override { current().setPenWidth(pixels); }
    void drawLine(int x1, int y1, int x2, int y2) override { current().drawLine(x1, y1, x2, y2); }
    void drawImage(const QRect& target, const QImage& image) override { current().drawImage(target, image); }
    void setCorrection(const QTransform& paperMm) override;

private:
    PrintDevice& current() const;
    // Reads the printer's settings again, unless a job runs.
    void refresh(const QString& printer);

    PrintDevice& m_graphics;
    EscpTextDevice& m_text;
    core::AppContext& m_app;
    std::optional<TextModeSettings::Mode> m_override;
    TextModeSettings::Mode m_mode = TextModeSettings::Mode::Graphics;
};

} // namespace print
