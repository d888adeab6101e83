// The text mode against the page driver on one delivery note of 40 values on a 241×140 mm form:
// 1,000 forms rendered into the ESC/P stream (one job), the bytes per form, and the same note
// as the page driver's PDF and as the 24-pin raster a driver would send (ghostscript's lq850,
// when installed). Prints medians.
#include "core/AppContext.h"
#include "core/ProgramFolder.h"
#include "core/ScriptedDialogs.h"
#include "print/BillPrinter.h"
#include "print/EscpTextDevice.h"
#include "print/QtPrintDevice.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kTemplate = 900;
constexpr int kItems = 40;
constexpr int kForms = 1000;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double timeMs(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    return median(times);
}

// Header values across the top, eight lines of goods below, totals at the foot.
void buildTemplate(core::Database& db) {
    const QString kind = QStringLiteral("出货单");
    db.exec(QStringLiteral("delete from NameDict where CheckTypeName=:kind"),
            {{QStringLiteral("kind"), kind}});
    db.exec(
        QStringLiteral("insert into CKTypeTable (CheckTypeID, TypeName, TypeFirstName, TypeDescribe, XMove, "
                       "YMove, HVPrint, PWidth, PHeight) values (:id, :name, :kind, :variant, 0, 0, '0', "
                       "2410, 1400)"),
        {{QStringLiteral("id"), kTemplate},
         {QStringLiteral("name"), QStringLiteral("出货单（基准）")},
         {QStringLiteral("kind"), kind},
         {QStringLiteral("variant"), QStringLiteral("基准")}});
    db.begin();
    for (int i = 0; i < kItems; ++i) {
        const QString name = QStringLiteral("zdItem%1").arg(i);
        db.exec(QStringLiteral("insert into NameDict (CheckTypeName, CtlName, CtlLabel, CtlType, PrintItem, "
                               "ShowOrd) values (:kind, :name, :name, 'TEXT', 1, :ord)"),
                {{QStringLiteral("kind"), kind},
                 {QStringLiteral("name"), name.toUpper()},
                 {QStringLiteral("ord"), i}});
        const int row = i < 8 ? i / 4 : 2 + (i - 8) / 4;
        db.exec(
            QStringLiteral("insert into ckControl (CheckTypeID, CtlName, CtlType, CtlX, CtlY, CtlW, CtlH, "
                           "ctlLH, NeedShow, NeedPrint, CtlFontName, CtlFontSize, BreakFontSize, BreakNum, "
                           "FitParam, Align) values (:id, :name, 'TEXT', :x, :y, 500, 50, 45, 1, 1, '宋体', "
                           "10, 8, '', '', :align)"),
            {{QStringLiteral("id"), kTemplate},
             {QStringLiteral("name"), name},
             {QStringLiteral("x"), 100 + (i % 4) * 560},
             {QStringLiteral("y"), 150 + row * 120},
             {QStringLiteral("align"), i % 4 == 3 ? QStringLiteral("2") : QStringLiteral("0")}});
    }
    db.commit();
}

qint64 fileSize(const QString& path) {
    return QFileInfo(path).size();
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir home;
    const QString run = QDir::toNativeSeparators(home.path()) + QDir::separator();
    QString error;
    if (!core::ProgramFolder::prepare(run, &error)) {
        std::fprintf(stderr, "cannot prepare the program folder: %s\n", qPrintable(error));
        return 1;
    }
    core::ScriptedDialogs dialogs;
    core::AppContext ctx(run, dialogs);
    ctx.connect();
    buildTemplate(ctx.db());
    ctx.currentCheckTypeId = kTemplate;

    QWidget form;
    auto* panel = new QWidget(&form);
    panel->setObjectName(QStringLiteral("panelImgBg"));
    auto* variant = new QComboBox(&form);
    variant->setObjectName(QStringLiteral("cbFirstTypeName"));
    variant->addItem(QStringLiteral("基准"));
    const QStringList samples{QStringLiteral("广州市白云区机场路%1号"), QStringLiteral("螺栓 M8×30-%1"),
                              QStringLiteral("%1.50"), QStringLiteral("深圳南方五金贸易有限公司%1")};
    for (int i = 0; i < kItems; ++i) {
        auto* edit = new QLineEdit(samples.at(i % samples.size()).arg(i), panel);
        edit->setObjectName(QStringLiteral("zdItem%1").arg(i));
    }

    const QString raw = home.filePath(QStringLiteral("bench.esc"));
    print::EscpTextDevice text;
    text.setRawFile(raw);
    text.selectPrinter(QStringLiteral("Dot"));
    print::BillPrinter textJob(ctx, text, &form);
    bool ok = true;
    const double thousandMs = timeMs(5, [&] {
        if (!textJob.PrintPrepare()) {
            ok = false;
            return;
        }
        textJob.PrinterTransBegin(1);
        for (int i = 0; i < kForms; ++i) {
            if (i > 0)
                textJob.NewCheckPage();
            textJob.SendCheckToPrinter(kTemplate);
        }
        textJob.PrinterTransEnd();
        ok = ok && textJob.spooled();
    });
    const qint64 streamBytes = text.lastStream().size();

    // The device alone: the same 40 values a form, drawn straight onto it.
    print::EscpTextDevice bare;
    bare.setRawFile(home.filePath(QStringLiteral("bare.esc")));
    bare.selectPrinter(QStringLiteral("Dot"));
    const double deviceMs = timeMs(5, [&] {
        bare.beginDocument();
        for (int form = 0; form < kForms; ++form) {
            if (form > 0)
                bare.newPage();
            for (int i = 0; i < kItems; ++i)
                bare.drawText(20 + (i % 4) * 400, 100 + (i / 4) * 85, samples.at(i % samples.size()).arg(i));
        }
        bare.endDocument();
    });

    const QString pdf = home.filePath(QStringLiteral("bench.pdf"));
    print::QtPrintDevice writer(pdf);
    writer.printer().setPageSize(QPageSize(QSizeF(241, 140), QPageSize::Millimeter));
    print::BillPrinter pdfJob(ctx, writer, &form);
    const double pdfMs = timeMs(5, [&] { ok = pdfJob.printCurrentBill(1) && ok; });
    if (!ok || !dialogs.shown.isEmpty()) {
        std::fprintf(stderr, "printing failed: %s\n", qPrintable(dialogs.texts().join(QLatin1Char('|'))));
        return 1;
    }
    std::printf("note of %d values on a 241x140 mm form\n", kItems);
    std::printf("text mode, %d forms in one job:  median %.1f ms (target < 1000 ms)\n", kForms, thousandMs);
    std::printf("text device alone, %d forms:      median %.1f ms\n", kForms, deviceMs);
    std::printf("text mode, bytes per form:        %.0f (target < 4096)\n", double(streamBytes) / kForms);
    std::printf("page driver, PDF of one form:     %lld bytes, median %.1f ms\n",
                static_cast<long long>(fileSize(pdf)), pdfMs);
    if (!QStandardPaths::findExecutable(QStringLiteral("gs")).isEmpty()) {
        const QString lq = home.filePath(QStringLiteral("bench.lq"));
        QProcess gs;
        gs.start(QStringLiteral("gs"),
                 {QStringLiteral("-q"), QStringLiteral("-dBATCH"), QStringLiteral("-dNOPAUSE"),
                  QStringLiteral("-dSAFER"), QStringLiteral("-sDEVICE=lq850"),
                  QStringLiteral("-sOutputFile=") + lq, pdf});
        if (gs.waitForFinished(120000) && gs.exitCode() == 0)
            std::printf("24-pin raster driver (gs lq850):  %lld bytes per form\n",
                        static_cast<long long>(fileSize(lq)));
    }
    return 0;
}
