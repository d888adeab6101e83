// Times what opening a bill costs the layout: open the database, build the layout cache of the
// default 出货单 template, open it and place every input box on a window. Prints the median.
#include "core/AppContext.h"
#include "core/IniFile.h"
#include "core/ProgramFolder.h"
#include "core/ScriptedDialogs.h"
#include "core/TemplateStore.h"
#include "core/ui/FormPlacement.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;

    QTemporaryDir dir;
    const QString runPath = dir.path() + QLatin1Char('/');
    QString error;
    if (!dir.isValid() || !core::ProgramFolder::prepare(runPath, &error)) {
        std::fprintf(stderr, "cannot prepare the program folder: %s\n", qPrintable(error));
        return 1;
    }
    core::ScriptedDialogs dialogs;
    core::AppContext app(runPath, dialogs);
    const QString kind = QStringLiteral("出货单");

    QWidget window;
    app.connect();
    for (const QString& name : app.templates().loadCtlNamesOfKind(kind))
        (new QLineEdit(&window))->setObjectName(name);
    app.db().close();

    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        app.connect();
        core::TemplateStore& store = app.templates();
        const int id = store.loadDefaultCheckTypeId(kind);
        store.buildCheckIniFile(id);
        const std::unique_ptr<core::IniFile> ini = store.OpenCheckInif(id);
        core::ui::FormPlacement(app).setFormControlsPosition(id, kind, &window, ini.get());
        times.push_back(timer.nsecsElapsed() / 1e6);
        app.db().close();
    }
    std::sort(times.begin(), times.end());
    std::printf("layout: %d runs, %d boxes, median %.2f ms (min %.2f, max %.2f)\n", runs,
                static_cast<int>(window.findChildren<QLineEdit*>().size()), times[times.size() / 2],
                times.front(), times.back());
    return dialogs.shown.isEmpty() ? 0 : 1;
}
