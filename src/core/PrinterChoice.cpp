#include "core/PrinterChoice.h"

namespace core {

int PrinterChoice::choose(const QStringList& printers, const QString& name, const QString& storedOption) {
    const QString wanted = name.trimmed().isEmpty() ? storedOption : name;
    if (wanted.isEmpty() && printers.size() > 1)
        return -1;
    const QString upper = wanted.toUpper();
    for (int i = 0; i < printers.size(); ++i) {
        if (printers.at(i).toUpper() == upper)
            return i;
    }
    return -1;
}

QString PrinterChoice::apply(const QStringList& printers, const QString& name, const QString& storedOption,
                             const QString& currentPrinter) {
    const int index = choose(printers, name, storedOption);
    return index < 0 ? currentPrinter : printers.at(index);
}

} // namespace core
