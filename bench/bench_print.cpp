// Times the printing of one delivery note of 60 items: rendering into the recording device,
// and the whole job written through Qt's PDF backend. Prints medians in milliseconds.
#include "core/AppContext.h"
#include "core/ProgramFolder.h"
#include "core/ScriptedDialogs.h"
#include "print/BillPrinter.h"
#include "print/QtPrintDevice.h"
#include "print/RecordingPrintDevice.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kTemplate = 900;
constexpr int kItems = 60;

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

void buildTemplate(core::Database& db) {
    const QString kind = QStringLiteral("出货单");
    db.exec(QStringLiteral("delete from NameDict where CheckTypeName=:kind"),
            {{QStringLiteral("kind"), kind}});
    db.exec(
        QStringLiteral("insert into CKTypeTable (CheckTypeID, TypeName, TypeFirstName, TypeDescribe, XMove, "
                       "YMove, HVPrint) values (:id, :name, :kind, :variant, 15, -10, '0')"),
        {{QStringLiteral("id"), kTemplate},
         {QStringLiteral("name"), QStringLiteral("出货单（基准）")},
         {QStringLiteral("kind"), kind},
         {QStringLiteral("variant"), QStringLiteral("基准")}});
    db.begin();
    for (int i = 0; i < kItems; ++i) {
        const QString name = QStringLiteral("zdItem%1").arg(i);
        db.exec(QStringLiteral(
                    "insert into NameDict (CheckTypeName, CtlName, CtlLabel, CtlType, PrintItem, ShowOrd) "
                    "values (:kind, :name, :name, 'TEXT', 1, :ord)"),
                {{QStringLiteral("kind"), kind},
                 {QStringLiteral("name"), name.toUpper()},
                 {QStringLiteral("ord"), i}});
        // A mix of what real layouts hold: plain, broken into lines, equal width, centred.
        db.exec(QStringLiteral(
                    "insert into ckControl (CheckTypeID, CtlName, CtlType, CtlX, CtlY, CtlW, CtlH, ctlLH, "
                    "NeedShow, NeedPrint, CtlFontName, CtlFontSize, BreakFontSize, BreakNum, FitParam, "
                    "Align) values (:id, :name, 'TEXT', :x, :y, 400, 50, 45, 1, 1, '宋体', 10, 8, :brk, "
                    ":fit, :align)"),
                {{QStringLiteral("id"), kTemplate},
                 {QStringLiteral("name"), name},
                 {QStringLiteral("x"), 100 + (i % 4) * 500},
                 {QStringLiteral("y"), 100 + (i / 4) * 80},
                 {QStringLiteral("brk"), i % 5 == 0 ? QStringLiteral("8") : QString()},
                 {QStringLiteral("fit"), i % 7 == 0 ? QStringLiteral("40") : QString()},
                 {QStringLiteral("align"), QString::number(i % 3)}});
    }
    db.commit();
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
    for (int i = 0; i < kItems; ++i) {
        auto* edit = new QLineEdit(i % 5 == 0 ? QStringLiteral("广东省深圳市南山区科技园南路%1号").arg(i)
                                              : QStringLiteral("值%1-O'Brien").arg(i),
                                   panel);
        edit->setObjectName(QStringLiteral("zdItem%1").arg(i));
    }

    print::RecordingPrintDevice recorder;
    print::BillPrinter recorded(ctx, recorder, &form);
    if (!recorded.PrintPrepare())
        return 1;
    recorded.PrinterTransBegin(1);
    const double renderMs = timeMs(50, [&] {
        recorder.texts.clear();
        recorded.SendCheckToPrinter(kTemplate);
    });
    recorded.PrinterTransEnd();
    const qsizetype texts = recorder.texts.size();

    const QString pdf = home.filePath(QStringLiteral("bench.pdf"));
    print::QtPrintDevice writer(pdf);
    writer.printer().setPageSize(QPageSize(QPageSize::A3)); // the layout is wider than A4 allows
    print::BillPrinter written(ctx, writer, &form);
    bool ok = true;
    const double pdfMs = timeMs(20, [&] { ok = written.printCurrentBill(1) && ok; });
    if (!ok || !dialogs.shown.isEmpty()) {
        std::fprintf(stderr, "printing failed: %s\n", qPrintable(dialogs.texts().join(QLatin1Char('|'))));
        return 1;
    }
    std::printf("bill of %d items (%lld texts drawn)\n", kItems, static_cast<long long>(texts));
    std::printf("render into the recording device: median %.2f ms (target < 10 ms)\n", renderMs);
    std::printf("whole job to the PDF backend:     median %.2f ms (target < 100 ms)\n", pdfMs);
    return 0;
}
