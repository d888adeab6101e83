#include "print/PrinterModeDevice.h"

#include "core/IniFile.h"

namespace print {

PrinterModeDevice::PrinterModeDevice(PrintDevice& graphics, EscpTextDevice& text,
                                     const core::IniFile& userIni)
    : m_graphics(graphics), m_text(text), m_ini(userIni) {
    refresh(m_graphics.printerName());
}

PrintDevice& PrinterModeDevice::current() const {
    return m_mode == TextModeSettings::Mode::Text ? static_cast<PrintDevice&>(m_text) : m_graphics;
}

void PrinterModeDevice::setModeOverride(std::optional<TextModeSettings::Mode> mode) {
    m_override = mode;
    refresh(printerName());
}

void PrinterModeDevice::refresh(const QString& printer) {
    if (m_graphics.isPrinting() || m_text.isPrinting())
        return;
    TextModeSettings settings = TextModeSettings::read(m_ini, printer);
    if (m_override)
        settings.mode = *m_override;
    m_text.setSettings(settings);
    if (!printer.isEmpty() && m_text.printerName() != printer)
        m_text.selectPrinter(printer);
    m_mode = settings.mode;
}

QStringList PrinterModeDevice::printerNames() const {
    // Text-mode printers are queues of the system as well; only a raw file stands alone.
    const QStringList names = m_graphics.printerNames();
    return names.isEmpty() && m_override == TextModeSettings::Mode::Text ? m_text.printerNames() : names;
}

bool PrinterModeDevice::selectPrinter(const QString& name) {
    const bool graphics = m_graphics.selectPrinter(name);
    const bool text = m_text.selectPrinter(name);
    refresh(name);
    return m_mode == TextModeSettings::Mode::Text ? text : graphics;
}

void PrinterModeDevice::setOrientation(Orientation orientation) {
    m_graphics.setOrientation(orientation);
    m_text.setOrientation(orientation);
    refresh(printerName());
}

void PrinterModeDevice::setCopies(int copies) {
    m_graphics.setCopies(copies);
    m_text.setCopies(copies);
}

void PrinterModeDevice::setTitle(const QString& title) {
    m_graphics.setTitle(title);
    m_text.setTitle(title);
}

void PrinterModeDevice::setPaper(const Paper& paper) {
    // The device that prints answers for the size; the other only keeps it when it can.
    PrintDevice& other =
        m_mode == TextModeSettings::Mode::Text ? m_graphics : static_cast<PrintDevice&>(m_text);
    current().setPaper(paper);
    try {
        other.setPaper(paper);
    } catch (const PrintError&) {
    }
}

PrintDevice::SetupResult PrinterModeDevice::setupDialog(QWidget* parent) {
    // The page driver's dialog is the one set-up dialog; the text device follows its choice.
    const SetupResult result = m_graphics.setupDialog(parent);
    if (result == SetupResult::Accepted) {
        m_text.selectPrinter(m_graphics.printerName());
        m_text.setOrientation(m_graphics.orientation());
        if (m_graphics.paper().isValid())
            m_text.setPaper(m_graphics.paper());
        refresh(m_graphics.printerName());
    }
    return result;
}

void PrinterModeDevice::beginDocument() {
    refresh(printerName());
    current().beginDocument();
}

void PrinterModeDevice::abort() {
    m_graphics.abort();
    m_text.abort();
}

void PrinterModeDevice::setCorrection(const QTransform& paperMm) {
    PrintDevice::setCorrection(paperMm);
    m_graphics.setCorrection(paperMm);
    m_text.setCorrection(paperMm);
}

} // namespace print
