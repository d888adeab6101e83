#include "core/ProgramFolder.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString runPath = core::ProgramFolder::resolveRunPath(QApplication::arguments());
    QString error;
    if (!core::ProgramFolder::prepare(runPath, &error)) {
        qCritical("%s", qPrintable(error));
        return 1;
    }
    return 0;
}
