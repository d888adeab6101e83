#include "cli/ui/CommandRun.h"

#include "batch/OrderStore.h"
#include "batch/ui/TfrmMutiPrintOrder.h"

#include "cli/BackupCommands.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/ConsoleDialogs.h"
#include "cli/DbCopy.h"
#include "core/AppContext.h"
#include "core/DbError.h"
#include "core/ProgramFolder.h"
#include "core/ui/DataGrid.h"
#include "entry/ui/NoteCommands.h"
#include "entry/ui/TfmCheckFHDSHD.h"
#include "print/BillPrinter.h"
#include "print/ControlValues.h"
#include "print/MeasuredCalibration.h"
#include "print/NoteCopy.h"
#include "print/PrintError.h"
#include "print/PrintJournal.h"
#include "print/PrintLookups.h"
#include "print/PrinterModeDevice.h"
#include "print/PrinterSetup.h"
#include "print/QtPrintDevice.h"
#include "print/TestPage.h"
#include "print/scan/ScanFile.h"
#include "print/scan/ScanMeasure.h"
#include "print/scan/TemplateForm.h"
#include "program/Program.h"
#include "upgrade/StartupOffer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QItemSelection>
#include <QJsonArray>
#include <QPrinterInfo>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace cli::ui {

namespace {

// The device of a printing command: the PDF file of --pdf, else the printers of the system.
// Checks --printer against the installed printers; PrinterError with the message when absent.
int choosePrinter(core::AppContext& app, print::PrintDevice& device, const Invocation& call) {
    const QString pdf = call.value(QStringLiteral("pdf"));
    if (!pdf.isEmpty()) {
        app.setCurrentPrinter(device.printerName());
        return Done;
    }
    const QString printer = call.value(QStringLiteral("printer"));
    if (call.has(QStringLiteral("raw"))) {
        // The file stands for the printer named (its text-mode parameters and kept paper make the
        // stream), else it is its own printer, as a PDF is.
        const QString standsFor = printer.isEmpty() ? device.printerName() : printer;
        device.selectPrinter(standsFor);
        app.setCurrentPrinter(standsFor);
        return Done;
    }
    if (printer.isEmpty())
        return Done;
    if (!device.printerNames().contains(printer)) {
        writeError(QStringLiteral("没有这台打印机：") + printer);
        return PrinterError;
    }
    app.setCurrentPrinter(printer);
    return Done;
}

// A PDF is cut to the form itself: the template's own paper, so every box is on the page.
void pdfPaper(core::AppContext& app, print::PrintDevice& device, const Invocation& call, int templateId) {
    if (!call.has(QStringLiteral("pdf")))
        return;
    const QPageSize own = print::PrintLookups::templatePaper(app.db(), templateId);
    if (own.isValid())
        print::PrinterSetup::applyPaper(device, {own, -1});
}

// The program's windows run as on the desktop but never reach a screen: nothing of them is
// painted, and the main window's background picture is not even read.
void offScreen(program::Program& overprint) {
    overprint.mainWindow().setAttribute(Qt::WA_DontShowOnScreen);
    overprint.mainWindow().setUpdatesEnabled(false);
}

// The PDF of --pdf is written under a temporary name beside its path and renamed into place once
// its job is complete, so a failed or killed job leaves the file that was there, or none. The
// device keeps the path as its name (the journal and the messages name it).
class PdfFile {
public:
    explicit PdfFile(const Invocation& call) {
        const QString pdf = call.value(QStringLiteral("pdf"));
        if (pdf.isEmpty())
            return;
        const QFileInfo info(pdf);
        m_path = info.absoluteFilePath();
        m_part =
            info.absoluteDir().filePath(QStringLiteral(".%1.%2.part").arg(info.fileName()).arg(::getpid()));
    }
    ~PdfFile() {
        if (!m_part.isEmpty())
            QFile::remove(m_part); // a job that did not complete
    }
    Q_DISABLE_COPY_MOVE(PdfFile)

    const QString& path() const { return m_path; }
    void writeThrough(print::QtPrintDevice& device) const {
        if (!m_part.isEmpty())
            device.printer().setOutputFileName(m_part);
    }
    // The job is complete: its file takes the place of the path. False, said on standard error,
    // when it cannot.
    bool complete() {
        if (m_part.isEmpty())
            return true;
        // rename() replaces an existing file in one step; a reader sees the old file or the new.
        if (std::rename(QFile::encodeName(m_part).constData(), QFile::encodeName(m_path).constData()) != 0) {
            writeError(
                QStringLiteral("不能写入 %1：%2").arg(m_path, QString::fromLocal8Bit(std::strerror(errno))));
            return false;
        }
        m_part.clear();
        return true;
    }

private:
    QString m_path;
    QString m_part;
};

// The devices of a printing command: the PDF file or the system's printers through the page
// driver, and the text device, behind the one device that picks per printer. --mode overrides
// every printer's own mode; --raw is text mode into a file; a PDF is graphics.
class CommandDevices {
public:
    CommandDevices(core::AppContext& app, const Invocation& call, const PdfFile& pdf)
        : m_graphics(pdf.path()), m_modes(m_graphics, m_text, app) {
        pdf.writeThrough(m_graphics);
        const QString raw = call.value(QStringLiteral("raw"));
        const QString mode = call.value(QStringLiteral("mode"));
        if (!raw.isEmpty()) {
            m_text.setRawFile(QFileInfo(raw).absoluteFilePath());
            m_text.selectPrinter(QFileInfo(raw).absoluteFilePath());
            m_modes.setModeOverride(print::TextModeSettings::Mode::Text);
        } else if (call.has(QStringLiteral("pdf")) || mode == QLatin1String("graphics")) {
            m_modes.setModeOverride(print::TextModeSettings::Mode::Graphics);
        } else if (mode == QLatin1String("text")) {
            m_modes.setModeOverride(print::TextModeSettings::Mode::Text);
        }
    }
    Q_DISABLE_COPY_MOVE(CommandDevices)

    print::PrintDevice& device() { return m_modes; }
    print::QtPrintDevice& graphics() { return m_graphics; }
    print::PrinterModeDevice& modes() { return m_modes; }

private:
    print::QtPrintDevice m_graphics;
    print::EscpTextDevice m_text;
    print::PrinterModeDevice m_modes;
};

// The template variant a saved note was saved on; false, with the message said and the exit
// set, when there is no such note or the store failed.
bool storedVariant(core::AppContext& app, const QString& number, QString& variant, Outcome& out) {
    try {
        const QVariant stored =
            app.db().scalar(QStringLiteral("select 模板种类 from DataCheckFHDSHD where 票据编号=:number"),
                            {{QStringLiteral("number"), number}});
        if (!stored.isValid()) {
            writeError(QStringLiteral("没有这张出货单：") + number);
            out.exit = BadUse;
            return false;
        }
        variant = stored.toString();
        return true;
    } catch (const core::DbError& e) {
        writeError(QStringLiteral("错误：") + e.message());
        out.exit = DataError;
        return false;
    }
}

// print --note N: the saved note reloaded into the entry window and printed as "重复打印" does.
Outcome printNote(core::AppContext& app, const Invocation& call) {
    Outcome out;
    const QString number = call.value(QStringLiteral("note"));
    int copies = 1;
    if (call.has(QStringLiteral("copies"))) {
        bool ok = false;
        copies = call.value(QStringLiteral("copies")).toInt(&ok);
        if (!ok || copies < 1 || copies > 999) {
            writeError(QStringLiteral("--copies 应为 1 到 999 的整数"));
            out.exit = BadUse;
            return out;
        }
    }
    QString variant;
    if (!storedVariant(app, number, variant, out))
        return out;

    PdfFile pdf(call);
    CommandDevices devices(app, call, pdf);
    print::PrintDevice& device = devices.device();
    program::Program overprint(app, device);
    offScreen(overprint);
    if (!overprint.startUp(false)) {
        out.exit = DataError;
        return out;
    }
    if ((out.exit = choosePrinter(app, device, call)) != Done)
        return out;
    auto* window = qobject_cast<entry::ui::TfmCheckFHDSHD*>(overprint.mainWindow().entryWindow());
    if (!window) {
        writeError(QStringLiteral("没有出货单模板，不能打印"));
        out.exit = DataError;
        return out;
    }
    if (!window->commands().BrowseOldCheck(variant, number)) {
        out.exit = DataError;
        return out;
    }
    // The job of "重复打印": the entry window's own printer (and its journal) on the reloaded boxes.
    app.currentCheckTypeId = window->templateId();
    pdfPaper(app, device, call, window->templateId());
    if (!window->billPrinter().printCurrentBill(copies) || !pdf.complete()) {
        out.exit = PrinterError;
        return out;
    }
    out.result = {{QStringLiteral("note"), number},
                  {QStringLiteral("copies"), copies},
                  {QStringLiteral("printer"), device.printerName()}};
    out.lines << QStringLiteral("已打印 %1（%2 张）到 %3").arg(number).arg(copies).arg(device.printerName());
    return out;
}

// export-note --note N (--pdf F | --png F): the saved note reloaded into the entry window, as
// print --note does, and written as the customer's copy instead of printed.
Outcome exportNote(core::AppContext& app, const Invocation& call) {
    Outcome out;
    const QString number = call.value(QStringLiteral("note"));
    QString variant;
    if (!storedVariant(app, number, variant, out))
        return out;
    print::NoteCopy::Options options;
    const bool png = call.has(QStringLiteral("png"));
    options.format = png ? print::NoteCopy::Format::Png : print::NoteCopy::Format::Pdf;
    options.fit =
        call.flags.contains(QStringLiteral("a4")) ? print::NoteCopy::Fit::A4 : print::NoteCopy::Fit::Form;
    if (call.has(QStringLiteral("dpi")))
        options.dpi = CommandLine::positiveNumber(call.value(QStringLiteral("dpi")));
    const QString file = call.value(png ? QStringLiteral("png") : QStringLiteral("pdf"));

    print::QtPrintDevice device;
    program::Program overprint(app, device);
    offScreen(overprint);
    if (!overprint.startUp(false)) {
        out.exit = DataError;
        return out;
    }
    auto* window = qobject_cast<entry::ui::TfmCheckFHDSHD*>(overprint.mainWindow().entryWindow());
    if (!window) {
        writeError(QStringLiteral("没有出货单模板，不能生成客户副本"));
        out.exit = DataError;
        return out;
    }
    if (!window->commands().BrowseOldCheck(variant, number)) {
        out.exit = DataError;
        return out;
    }
    try {
        print::NoteCopy copy(app, file, options);
        const print::ControlValues values(app);
        copy.addNote(window->templateId(), print::ControlIndex(values, window->container()),
                     window->commands().noteFromBoxes().currency);
        copy.finish();
    } catch (const print::PrintError& e) {
        writeError(e.message());
        out.exit = PrinterError;
        return out;
    } catch (const core::DbError& e) {
        writeError(QStringLiteral("错误：") + e.message());
        out.exit = DataError;
        return out;
    }
    const QString path = QFileInfo(file).absoluteFilePath();
    out.result = {{QStringLiteral("note"), number}, {QStringLiteral("file"), path}};
    out.lines << QStringLiteral("已写入 %1 的客户副本：%2").arg(number, path);
    return out;
}

// batch: the order import, then the batch printing window's run over the orders of its list
// that are not yet printed (or all), from the k-th on. The window marks what it printed.
Outcome printBatch(core::AppContext& app, const Invocation& call) {
    int from = 1;
    if (call.has(QStringLiteral("from"))) {
        bool ok = false;
        from = call.value(QStringLiteral("from")).toInt(&ok);
        if (!ok || from < 1) {
            writeError(QStringLiteral("--from 应为从 1 起的序号"));
            return {BadUse, {}, {}};
        }
    }
    PdfFile pdf(call);
    CommandDevices devices(app, call, pdf);
    print::PrintDevice& device = devices.device();
    // A printer that is not there refuses the run before anything is imported.
    if (const int printer = choosePrinter(app, device, call); printer != Done)
        return {printer, {}, {}};
    Outcome out = importOrders(app, call.value(QStringLiteral("orders")),
                               call.value(QStringLiteral("details")), QString());
    if (out.exit != Done)
        return out;
    const QJsonObject imported = out.result;
    out.result = {{QStringLiteral("import"), imported}};

    program::Program overprint(app, device);
    offScreen(overprint);
    if (!overprint.startUp(false)) {
        out.exit = DataError;
        return out;
    }
    if ((out.exit = choosePrinter(app, device, call)) != Done)
        return out;
    auto* entryWindow = qobject_cast<entry::ui::TfmCheckFHDSHD*>(overprint.mainWindow().entryWindow());
    overprint.openBatchPrinting();
    batch::ui::TfrmMutiPrintOrder* window = overprint.batchWindow();
    if (!entryWindow || !window) {
        writeError(QStringLiteral("没有出货单模板，不能打印"));
        out.exit = DataError;
        return out;
    }
    window->btAllClick();
    core::ui::DataGrid& grid = window->grid();
    const bool all = call.flags.contains(QStringLiteral("all"));
    QItemSelection chosen;
    const int lastColumn = grid.model()->columnCount() - 1;
    int chosenRows = 0;
    for (int row = from - 1; row < grid.rowCount(); ++row)
        if (all ||
            grid.value(row, QStringLiteral("订单状态")).toString() != batch::OrderStore::printedState()) {
            chosen.select(grid.model()->index(row, 0), grid.model()->index(row, lastColumn));
            ++chosenRows;
        }
    int pages = 0;
    if (!chosen.isEmpty()) {
        grid.selectionModel()->select(chosen,
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        pdfPaper(app, device, call, entryWindow->templateId());
        // The pages as they go, on a terminal only, as the imports show their rows.
        bool shown = false;
        if (errorIsTerminal())
            window->setPageProgress([&shown](int done, int total) {
                std::fprintf(stderr, "\r%d/%d", done, total);
                shown = true;
            });
        // Printed orders are chosen only with --all, which is the answer to the window's question.
        window->printSelected(all ? batch::ui::TfrmMutiPrintOrder::Reprint::Include
                                  : batch::ui::TfrmMutiPrintOrder::Reprint::Ask);
        window->setPageProgress({});
        if (shown)
            std::fprintf(stderr, "\n");
        const batch::RunResult& run = window->lastRun();
        // Orders another seat holds or printed meanwhile are left out, each with why.
        const QStringList& refused = window->lastRefused();
        pages = run.handedOver ? run.printed : 0;
        out.result.insert(QStringLiteral("printedOrders"),
                          QJsonArray::fromStringList(run.handedOver ? run.printedOrders : QStringList()));
        out.result.insert(QStringLiteral("skipped"), QJsonArray::fromStringList(refused + run.skipped));
        // Nothing left to print after the refusals is no printer error; a job that would not
        // open, or did not reach the printer, is.
        const bool noneHeld = refused.size() >= chosenRows;
        if (!run.error.isEmpty()) {
            out.result.insert(QStringLiteral("error"), run.error);
            out.exit = BadUse; // an order that cannot make a note
        } else if ((!run.started && !noneHeld) || (run.printed > 0 && !run.handedOver)) {
            out.exit = PrinterError;
        }
        if (pages > 0 && !pdf.complete()) {
            out.exit = PrinterError;
            pages = 0;
        }
    }
    out.result.insert(QStringLiteral("printed"), pages);
    out.result.insert(QStringLiteral("pages"), pages);
    out.lines << QStringLiteral("已打印 %1 张").arg(pages);
    return out;
}

// The template a command names with --template, else the default of the delivery note. 0 with the
// message said when there is none; -1 when the store failed.
int templateOf(core::AppContext& app, const Invocation& call) {
    try {
        if (call.has(QStringLiteral("template"))) {
            const QString name = call.value(QStringLiteral("template"));
            const int id =
                app.db()
                    .scalar(QStringLiteral("select CheckTypeID from CKTypeTable where TypeName=:name"),
                            {{QStringLiteral("name"), name}})
                    .toInt();
            if (id <= 0)
                writeError(QStringLiteral("没有这个模板：") + name);
            return id;
        }
        const int id =
            app.db()
                .scalar(QStringLiteral("select CheckTypeID from CKTypeTable where TypeFirstName='出货单' "
                                       "order by case when IsDefault='默认' then 0 else 1 end, ShowOrd, "
                                       "CheckTypeID"))
                .toInt();
        if (id <= 0)
            writeError(QStringLiteral("没有出货单模板"));
        return id;
    } catch (const core::DbError& e) {
        writeError(QStringLiteral("错误：") + e.message());
        return -1;
    }
}

QString templateName(core::AppContext& app, int id) {
    return app.db()
        .scalar(QStringLiteral("select TypeName from CKTypeTable where CheckTypeID=:id"),
                {{QStringLiteral("id"), id}})
        .toString();
}

QJsonArray crossesJson(const print::MeasuredCalibration::Page& page) {
    QJsonArray crosses;
    for (int i = 0; i < page.crosses.size(); ++i)
        crosses.append(QJsonObject{{QStringLiteral("number"), i + 1},
                                   {QStringLiteral("x"), std::round(page.crosses[i].x() * 100) / 100},
                                   {QStringLiteral("y"), std::round(page.crosses[i].y() * 100) / 100}});
    return crosses;
}

// test-page [--template NAME] [--calibration]: the template's items with their test values, as
// "打印测试页", or the calibration page of the template's paper.
Outcome printTestPage(core::AppContext& app, const Invocation& call) {
    Outcome out;
    const int id = templateOf(app, call);
    if (id <= 0)
        return {id < 0 ? DataError : BadUse, {}, {}};
    const QString name = templateName(app, id);
    PdfFile pdf(call);
    CommandDevices devices(app, call, pdf);
    print::PrintDevice& device = devices.device();
    const bool standIn = call.has(QStringLiteral("pdf")) && call.has(QStringLiteral("printer"));
    if (standIn) {
        const QString printer = call.value(QStringLiteral("printer"));
        if (!QPrinterInfo::availablePrinterNames().contains(printer)) {
            writeError(QStringLiteral("没有这台打印机：") + printer);
            return {PrinterError, {}, {}};
        }
        devices.graphics().standFor(printer);
        app.setCurrentPrinter(printer);
    } else {
        if ((out.exit = choosePrinter(app, device, call)) != Done)
            return out;
        pdfPaper(app, device, call, id);
    }
    const bool calibration = call.flags.contains(QStringLiteral("calibration"));
    // The calibration page measures the printer's own marks: crosses print only as graphics.
    if (calibration)
        devices.modes().setModeOverride(print::TextModeSettings::Mode::Graphics);
    std::optional<print::MeasuredCalibration::Page> page;
    if (calibration)
        page = print::MeasuredCalibration::printPage(app, device, id);
    if ((calibration ? !page : !print::TestPage::print(app, device, id, print::TestPage::Mode::Values)) ||
        !pdf.complete()) {
        out.exit = PrinterError;
        return out;
    }
    out.result = {
        {QStringLiteral("template"), name},
        {QStringLiteral("pages"), 1},
        {QStringLiteral("printer"), standIn ? call.value(QStringLiteral("printer")) : device.printerName()}};
    if (standIn)
        out.result.insert(QStringLiteral("pdf"), pdf.path());
    if (page) {
        out.result.insert(QStringLiteral("calibration"), true);
        out.result.insert(QStringLiteral("code"), page->code());
        out.result.insert(QStringLiteral("paper"),
                          QJsonObject{{QStringLiteral("width"), page->paperMm.width()},
                                      {QStringLiteral("height"), page->paperMm.height()}});
        out.result.insert(QStringLiteral("crosses"), crossesJson(*page));
        out.lines << QStringLiteral("校准页（代码 %1）已打印到 %2").arg(page->code(), device.printerName());
        for (int i = 0; i < page->crosses.size(); ++i)
            out.lines << QStringLiteral("  十字 %1：距左边 %2 毫米，距上边 %3 毫米")
                             .arg(i + 1)
                             .arg(page->crosses[i].x(), 0, 'f', 2)
                             .arg(page->crosses[i].y(), 0, 'f', 2);
    } else {
        out.lines << QStringLiteral("测试页已打印到 ") + device.printerName();
    }
    return out;
}

// The crosses of --readings "x1,y1;x2,y2;;x4,y4": an empty pair skips a cross. False with the
// message on anything else.
bool parseReadings(const QString& text, int crosses, QVector<std::optional<QPointF>>& out, QString* error) {
    const QStringList pairs = text.split(QLatin1Char(';'));
    if (pairs.size() > crosses) {
        *error = QStringLiteral("--readings 给了 %1 个十字，校准页只有 %2 个").arg(pairs.size()).arg(crosses);
        return false;
    }
    out = QVector<std::optional<QPointF>>(crosses);
    for (int i = 0; i < pairs.size(); ++i) {
        const QString pair = pairs[i].trimmed();
        if (pair.isEmpty())
            continue;
        const QStringList xy = pair.split(QLatin1Char(','));
        bool okX = false;
        bool okY = false;
        const double x = xy.value(0).trimmed().toDouble(&okX);
        const double y = xy.value(1).trimmed().toDouble(&okY);
        if (xy.size() != 2 || !okX || !okY || !std::isfinite(x) || !std::isfinite(y)) {
            *error = QStringLiteral("--readings 第 %1 个十字的读数不是“距左边,距上边”两个毫米数：%2")
                         .arg(i + 1)
                         .arg(pair);
            return false;
        }
        out[i] = QPointF(x, y);
    }
    return true;
}

// calibrate --printer P [--template T] (--readings … | --scan FILE | --clear): the window's
// 计算 and 保存校准, or 不用校准.
Outcome runCalibrate(core::AppContext& app, const Invocation& call) {
    Outcome out;
    const int id = templateOf(app, call);
    if (id <= 0)
        return {id < 0 ? DataError : BadUse, {}, {}};
    const QString name = templateName(app, id);
    const QString printer = call.value(QStringLiteral("printer"));
    print::QtPrintDevice device;
    if (!device.printerNames().contains(printer)) {
        writeError(QStringLiteral("没有这台打印机：") + printer);
        return {PrinterError, {}, {}};
    }
    app.setCurrentPrinter(printer);
    print::MeasuredCalibration::Page page;
    try {
        const print::PrintDevice::Paper printerPaper = print::TestPage::setUpLikeBill(app, device, id);
        page = print::MeasuredCalibration::layout(device, id, name);
        print::TestPage::restorePaper(device, printerPaper);
    } catch (const std::exception&) {
        writeError(QStringLiteral("打印机【%1】不接受模板的纸张或方向").arg(printer));
        return {PrinterError, {}, {}};
    }
    print::MeasuredCalibration store(app.userIni());
    out.result = {{QStringLiteral("printer"), printer},
                  {QStringLiteral("template"), name},
                  {QStringLiteral("code"), page.code()}};
    if (call.flags.contains(QStringLiteral("clear"))) {
        store.remember(printer, page.source, page.orientation, QTransform());
        store.rememberScan(printer, id, QTransform());
        out.result.insert(QStringLiteral("cleared"), true);
        out.lines << QStringLiteral("打印机【%1】不再校准").arg(printer);
        return out;
    }
    QVector<std::optional<QPointF>> measured;
    const bool scanned = call.has(QStringLiteral("scan"));
    if (scanned) {
        const print::scan::FormImage form = print::scan::templateForm(app, id);
        if (form.image.isNull()) {
            writeError(QStringLiteral("模板【%1】没有可用的表格图片，不能从扫描图校准").arg(name));
            return {BadUse, out.result, {}};
        }
        const print::scan::ScanPicture picture =
            print::scan::readScanFile(call.value(QStringLiteral("scan")));
        if (!picture.ok()) {
            writeError(picture.error);
            return {BadUse, out.result, {}};
        }
        const print::scan::ScanMeasurement measurement =
            print::scan::measureScan(picture.image, picture.dpi, form, page);
        if (!measurement.ok()) {
            writeError(measurement.error);
            return {BadUse, out.result, {}};
        }
        measured = measurement.crossesMm;
    } else {
        QString error;
        if (!parseReadings(call.value(QStringLiteral("readings")), int(page.crosses.size()), measured,
                           &error)) {
            writeError(error);
            return {BadUse, out.result, {}};
        }
    }
    const print::MeasuredCalibration::Fit fit = print::MeasuredCalibration::solve(page.crosses, measured);
    // Divided, not multiplied, by the step's inverse: 126.88 stays 126.88 in the JSON.
    auto rounded = [](double v, double step) { return std::round(v / step) / std::round(1 / step); };
    QJsonArray crosses;
    for (int i = 0; i < page.crosses.size(); ++i) {
        QJsonObject c{{QStringLiteral("number"), i + 1},
                      {QStringLiteral("x"), rounded(page.crosses[i].x(), 0.01)},
                      {QStringLiteral("y"), rounded(page.crosses[i].y(), 0.01)}};
        if (i < measured.size() && measured[i]) {
            c.insert(QStringLiteral("measuredX"), rounded(measured[i]->x(), 0.001));
            c.insert(QStringLiteral("measuredY"), rounded(measured[i]->y(), 0.001));
            c.insert(QStringLiteral("residual"), rounded(fit.residuals.value(i), 0.001));
            if (!std::isnan(fit.deviations.value(i)))
                c.insert(QStringLiteral("deviation"), rounded(fit.deviations.value(i), 0.001));
        }
        crosses.append(c);
    }
    out.result.insert(QStringLiteral("path"), scanned ? QStringLiteral("scan") : QStringLiteral("ruler"));
    out.result.insert(QStringLiteral("crosses"), crosses);
    if (!fit.ok()) {
        writeError(fit.error);
        if (fit.refused >= 0)
            out.result.insert(QStringLiteral("refusedCross"), fit.refused + 1);
        out.exit = BadUse;
        return out;
    }
    out.result.insert(QStringLiteral("offsetX"), rounded(fit.offsetX, 0.001));
    out.result.insert(QStringLiteral("offsetY"), rounded(fit.offsetY, 0.001));
    out.result.insert(QStringLiteral("scaleX"), rounded(fit.scaleX, 0.00001));
    out.result.insert(QStringLiteral("scaleY"), rounded(fit.scaleY, 0.00001));
    out.result.insert(QStringLiteral("turnDegrees"), rounded(fit.turnDegrees, 0.001));
    out.result.insert(QStringLiteral("shearDegrees"), rounded(fit.shearDegrees, 0.001));
    if (scanned)
        store.rememberScan(printer, id, fit.correction);
    else
        store.remember(printer, page.source, page.orientation, fit.correction);
    out.result.insert(QStringLiteral("stored"), true);
    out.lines << QStringLiteral(
                     "偏移：向右 %1 毫米，向下 %2 毫米；比例：横向 %3%，纵向 %4%；歪斜 %5°，斜切 %6°")
                     .arg(fit.offsetX, 0, 'f', 2)
                     .arg(fit.offsetY, 0, 'f', 2)
                     .arg(fit.scaleX * 100, 0, 'f', 2)
                     .arg(fit.scaleY * 100, 0, 'f', 2)
                     .arg(fit.turnDegrees, 0, 'f', 2)
                     .arg(fit.shearDegrees, 0, 'f', 2);
    for (int i = 0; i < page.crosses.size(); ++i)
        out.lines
            << (std::isnan(fit.residuals.value(i))
                    ? QStringLiteral("  十字 %1：未量").arg(i + 1)
                    : QStringLiteral("  十字 %1：残差 %2 毫米").arg(i + 1).arg(fit.residuals[i], 0, 'f', 2));
    out.lines << (scanned
                      ? QStringLiteral("已保存：打印机【%1】打印模板【%2】时按扫描校准").arg(printer, name)
                      : QStringLiteral("已保存：打印机【%1】按尺量校准").arg(printer));
    return out;
}

// reprint --job N (--pages A-B | --from-page A): the journal window's reprint of those pages,
// each as its source is stored now, in one job that is journalled again.
Outcome reprintJob(core::AppContext& app, const Invocation& call) {
    Outcome out;
    const int job = CommandLine::positiveNumber(call.value(QStringLiteral("job")));
    PageRange range;
    QString error;
    if (!CommandLine::pageRange(call, range, &error)) { // parse() has refused these already
        writeError(error);
        return {BadUse, {}, {}};
    }
    QVector<print::JournalPage> pages;
    int jobPages = 0;
    try {
        const QVector<print::JournalPage> all = print::PrintJournal(app).pagesOf(job, 1);
        jobPages = all.size();
        for (const print::JournalPage& page : all)
            if (page.page >= range.first && (range.last < 0 || page.page <= range.last))
                pages << page;
    } catch (const core::DbError& e) {
        writeError(QStringLiteral("错误：") + e.message());
        return {DataError, {}, {}};
    }
    if (jobPages == 0) {
        writeError(QStringLiteral("打印记录里没有作业 %1（overprint journal 列出作业）").arg(job));
        return {BadUse, {}, {}};
    }
    if (pages.isEmpty() || range.last > jobPages) {
        writeError(QStringLiteral("作业 %1 只有 %2 张").arg(job).arg(jobPages));
        return {BadUse, {}, {}};
    }

    PdfFile pdf(call);
    print::QtPrintDevice device(pdf.path());
    pdf.writeThrough(device);
    program::Program overprint(app, device);
    offScreen(overprint);
    if (!overprint.startUp(false))
        return {DataError, {}, {}};
    if ((out.exit = choosePrinter(app, device, call)) != Done)
        return out;
    pdfPaper(app, device, call, pages.first().templateId);
    // The same path as the journal window's 补打: changed and missing sources are named in its
    // question, which only --yes answers yes.
    const int printed = overprint.reprintPages(pages);
    auto* window = qobject_cast<entry::ui::TfmCheckFHDSHD*>(overprint.mainWindow().entryWindow());
    out.result = {
        {QStringLiteral("job"), job},
        {QStringLiteral("pages"), printed},
        {QStringLiteral("requested"), int(pages.size())},
        {QStringLiteral("printer"), device.printerName()},
        {QStringLiteral("reprintJob"), printed > 0 && window ? window->billPrinter().lastJob() : 0}};
    if (printed > 0 && !pdf.complete()) {
        out.exit = PrinterError;
        return out;
    }
    if (printed == 0) {
        // A device that failed on the way has said so; otherwise nothing could be found to print
        // (or a question was answered no).
        const QPrinter::PrinterState state = device.printer().printerState();
        out.exit = state == QPrinter::Aborted || state == QPrinter::Error ? PrinterError : BadUse;
        return out;
    }
    out.lines
        << QStringLiteral("已补打作业 %1 的 %2 张到 %3").arg(job).arg(printed).arg(device.printerName());
    return out;
}

} // namespace

int run(int argc, char** argv, const QString& version) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    Invocation call;
    QString error;
    ConsoleDialogs dialogs;
    // Every end, a failure too, is written as the one JSON object when --json was asked for.
    const auto failed = [&call, &dialogs](int code, const QString& reason = QString()) {
        if (!reason.isEmpty())
            writeError(reason);
        return finish(call, dialogs, {code, {}, {}});
    };
    if (!CommandLine::parse(arguments, call, &error)) {
        // A command line that could not be read whole still asked for JSON when it says --json.
        if (arguments.contains(QStringLiteral("--json")))
            call.flags.insert(QStringLiteral("json"));
        writeError(error);
        writeError(QStringLiteral("用“overprint --help”查看用法"));
        return finish(call, dialogs, {BadUse, {}, {}});
    }
    if (call.version()) {
        writeOut(QStringLiteral("overprint ") + version + QLatin1Char('\n'));
        return Done;
    }
    if (call.help()) {
        writeOut(CommandLine::help(call.command));
        return Done;
    }

    // A command never shows a window: the offscreen platform needs no display, and the windows
    // that print (entry window, batch printing) run on it hidden, the same code as on screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationVersion(version);

    // A file that cannot be written refuses the command before anything is read or written.
    for (const QString& file : CommandLine::outputFiles(call))
        if (!CommandLine::canWrite(file, &error))
            return failed(BadUse, error);

    dialogs.setAssumeYes(call.flags.contains(QStringLiteral("yes")));
    const QString runPath = core::ProgramFolder::resolveRunPath(arguments);
    if (!core::ProgramFolder::prepare(runPath, &error, &dialogs))
        return failed(BadUse, error);
    // The copy opens both ends itself, whichever store the settings name.
    if (call.command == QLatin1String("db"))
        return finish(call, dialogs, runDbCopy(runPath, dialogs, call));
    core::AppContext app(runPath, dialogs);
    try {
        app.connect();
    } catch (const core::DbError& e) {
        return failed(DataError, QStringLiteral("错误：") + e.message());
    }
    program::Program::storeOpened(app.db());
    if (const int refused = login(app, call); refused != Done)
        return failed(refused);
    if (const QString notice = upgrade::commandNotice(app); !notice.isEmpty())
        dialogs.message(notice);

    Outcome outcome;
    if (call.command == QLatin1String("backup") || call.command == QLatin1String("restore")) {
        killAtNamedStep();
        outcome = call.command == QLatin1String("backup") ? runBackup(app, call) : runRestore(app, call);
    } else if (call.command == QLatin1String("import"))
        outcome = runImport(app, call);
    else if (call.command == QLatin1String("package"))
        outcome = runPackage(app, call);
    else if (call.command == QLatin1String("notes"))
        outcome = runNotes(app, call);
    else if (call.command == QLatin1String("print"))
        outcome = printNote(app, call);
    else if (call.command == QLatin1String("batch"))
        outcome = printBatch(app, call);
    else if (call.command == QLatin1String("journal"))
        outcome = runJournal(app, call);
    else if (call.command == QLatin1String("payment"))
        outcome = runPayment(app, call);
    else if (call.command == QLatin1String("reprint"))
        outcome = reprintJob(app, call);
    else if (call.command == QLatin1String("export-note"))
        outcome = exportNote(app, call);
    else if (call.command == QLatin1String("calibrate"))
        outcome = runCalibrate(app, call);
    else if (call.command == QLatin1String("statement"))
        outcome = runStatement(app, call);
    else
        outcome = printTestPage(app, call);
    return finish(call, dialogs, outcome);
}

} // namespace cli::ui
