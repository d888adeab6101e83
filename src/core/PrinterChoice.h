#pragma once

#include <QString>
#include <QStringList>

namespace core {

// The rule of choosing the printer at start (setDefaultPrinter).
class PrinterChoice {
public:
    // Index in printers of the printer to make current, or -1 to leave the current one.
    // An empty (blank) name falls back to the stored "DefaultPrinter" option; with still no
    // name and more than one printer the platform default stays. Names compare in upper case.
    static int choose(const QStringList& printers, const QString& name, const QString& storedOption);
    // The printer that is current afterwards: the chosen one, or currentPrinter unchanged.
    static QString apply(const QStringList& printers, const QString& name, const QString& storedOption,
                         const QString& currentPrinter);
};

} // namespace core
