#include "cli/CommandLine.h"
#include "cli/ui/CommandRun.h"
#include "core/AppContext.h"
#include "core/ProgramFolder.h"
#include "core/ui/WidgetDialogs.h"
#include "imports/ReaderProcess.h"
#include "print/EscpTextDevice.h"
#include "print/PrinterModeDevice.h"
#include "print/QtPrintDevice.h"
#include "program/Program.h"
#include "upgrade/StartupOffer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#ifndef OVERPRINT_VERSION
#define OVERPRINT_VERSION "1.0.0"
#endif

// Qt's own texts (Yes/No, file and print dialogs) in the clerk's language: the system locale's
// when Qt has a translation for it, otherwise Simplified Chinese, the language of every text of
// the program itself.
static void installQtTranslations(QApplication& app) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(&app);
    const QLocale system = QLocale::system();
    const bool loaded = system.language() == QLocale::Chinese &&
                        translator->load(system, QStringLiteral("qt"), QStringLiteral("_"), folder);
    if (loaded || translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qt"),
                                   QStringLiteral("_"), folder))
        QApplication::installTranslator(translator);
}

// Dates and numbers read as the program's Chinese texts and messages expect them ("2026/12/10",
// not "10 Dec 2026"), whatever locale the machine came with.
static void useChineseFormats() {
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
}

// --quit-after-show: start up without the splash, report the time to the shown main window on
// standard output and end (the start-up benchmark uses it).
int main(int argc, char** argv) {
#ifdef __GLIBC__
    // Every printed page takes and frees some hundred KiB in the PDF and print engines (the
    // page's compressor among them). By default the C library hands such blocks back to the
    // system at once and takes them again for the next page, which cost a third of a batch
    // run; the heap keeps them instead, up to 64 MiB of free memory.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
#endif
    if (imports::ReaderProcess::requested(argc, argv))
        return imports::ReaderProcess::run(argc, argv);
    if (cli::CommandLine::requested(argc, argv))
        return cli::ui::run(argc, argv, QStringLiteral(OVERPRINT_VERSION));
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    useChineseFormats();
    QApplication::setApplicationVersion(QStringLiteral(OVERPRINT_VERSION));
    // The installed desktop entry and icon (none when run from the build folder).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.overprint.Overprint"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.overprint.Overprint")));
    installQtTranslations(app);
    const bool quitAfterShow = QApplication::arguments().contains(QStringLiteral("--quit-after-show"));

    core::ui::WidgetDialogs dialogs;
    const QString runPath = core::ProgramFolder::resolveRunPath(QApplication::arguments());
    QString error;
    if (!core::ProgramFolder::prepare(runPath, &error, &dialogs)) {
        dialogs.error(error);
        return 1;
    }

    core::AppContext context(runPath, dialogs);
    if (!context.connectAtStart())
        return 1;
    // A printer set to text mode prints through the text device; every other through the driver.
    print::QtPrintDevice graphicsDevice;
    print::EscpTextDevice textDevice;
    print::PrinterModeDevice printDevice(graphicsDevice, textDevice, context.userIni());
    program::Program overprint(context, printDevice);
    core::ui::Tfm_Main& mainWindow = overprint.mainWindow();
    dialogs.setParentWidget(&mainWindow);

    // Before the main window reads its templates, so that it starts on the upgraded tables; with
    // the login on nobody has logged in yet, and the program asks after the login instead.
    if (!quitAfterShow)
        upgrade::offerAtStart(context, [&overprint] { overprint.openUpgrade(); });
    if (!overprint.startUp(!quitAfterShow))
        return 0;
    if (quitAfterShow) {
        std::printf("shown %lld ms\n", static_cast<long long>(clock.elapsed()));
        std::fflush(stdout);
        mainWindow.close();
        return 0;
    }
    // A template package opened from the file manager (the desktop entry's %f).
    if (const QString package = program::Program::fileArgument(QApplication::arguments()); !package.isEmpty())
        overprint.openPackageFile(package);
    return app.exec();
}
