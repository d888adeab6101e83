// Times the export of a package of 20 templates with their images and its import over the same
// templates (each one replaced in its own transaction). Prints the medians in milliseconds.
#include "BenchHome.h"
#include "templates/TemplateAdmin.h"
#include "templates/TemplatePackage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    BenchHome home;
    if (!home.prepare())
        return 1;
    templates::TemplateAdmin admin(home.app());
    QStringList names{QStringLiteral("出货单（标准）"), QStringLiteral("出货单（三联241）")};
    for (int i = 0; names.size() < 20; ++i) {
        const int id = admin.clone(1 + i % 2, QStringLiteral("副本") + QString::number(i));
        names << home.app().templates().loadCheckTypeFullNameByID(id);
    }
    templates::PackageTransfer transfer(home.app());
    const QString package = home.filePath(QStringLiteral("bench.qpk"));
    std::vector<double> exports;
    std::vector<double> imports;
    for (int run = 0; run < 7; ++run) {
        QElapsedTimer timer;
        timer.start();
        const auto out = transfer.exportTemplates(names, package);
        exports.push_back(timer.nsecsElapsed() / 1e6);
        timer.restart();
        const auto in = transfer.importTemplates(package, names);
        imports.push_back(timer.nsecsElapsed() / 1e6);
        if (out.succeeded != 20 || in.succeeded != 20) {
            std::fprintf(stderr, "%s\n", qPrintable((out.notes + in.notes).join(QLatin1Char('\n'))));
            return 1;
        }
    }
    std::sort(exports.begin(), exports.end());
    std::sort(imports.begin(), imports.end());
    std::printf("package of 20 templates (%.1f MB): export median %.1f ms, import median %.1f ms\n",
                QFileInfo(package).size() / 1048576.0, exports[exports.size() / 2],
                imports[imports.size() / 2]);
    return 0;
}
