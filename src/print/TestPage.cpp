#include "print/TestPage.h"

#include "core/AppContext.h"
#include "core/Database.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "print/MeasuredCalibration.h"
#include "print/PaperMemory.h"
#include "print/PrintGeometry.h"
#include "print/PrintLookups.h"
#include "print/PrinterSetup.h"
#include "print/TemplatePaperSwitch.h"

namespace print {

namespace {

DrawOp frameLine(int x, int y, int length, bool vertical) {
    DrawOp op;
    op.kind = DrawOp::Kind::Line;
    op.x = x;
    op.y = y;
    op.length = length;
    op.vertical = vertical;
    return op;
}

// The item's print box outlined (a corner mark when it has no size), its label inside.
QVector<DrawOp> frame(const ItemLayout& item, const QString& label, const PlanContext& context) {
    constexpr int kCorner = 30; // 3 mm
    const int x = item.x + context.xOffset;
    const int y = item.y + context.yOffset;
    QVector<DrawOp> ops;
    if (item.width > 0 && item.height > 0) {
        ops << frameLine(x, y, item.width, false) << frameLine(x, y + item.height, item.width, false)
            << frameLine(x, y, item.height, true) << frameLine(x + item.width, y, item.height, true);
    } else {
        ops << frameLine(x, y, kCorner, false) << frameLine(x, y, kCorner, true);
    }
    DrawOp text;
    text.x = x + 5;
    text.y = y + 5;
    text.text = label;
    text.font = QStringLiteral("宋体");
    text.size = 7;
    ops << text;
    return ops;
}

} // namespace

QVector<DrawOp> TestPage::plan(core::Database& db, int checkTypeId, Mode mode) {
    core::Recordset t =
        db.query(QStringLiteral("select TypeFirstName, XMove, YMove from CKTypeTable where CheckTypeId=:id"),
                 {{QStringLiteral("id"), checkTypeId}});
    if (t.isEmpty())
        return {};
    t.first();
    PlanContext context;
    context.xOffset = int(t.integer(QStringLiteral("XMove")));
    context.yOffset = int(t.integer(QStringLiteral("YMove")));
    context.cellWidth =
        PrintLookups::getCellsWidth(db, checkTypeId, QStringLiteral("zdQY"), QStringLiteral("zdBY"), 35);
    // Rows not shown have no input box, so a bill never prints them; nor does the test page.
    core::Recordset items = db.query(
        QStringLiteral(
            "SELECT a.*, b.ctlData, b.ctlLabel, b.CtlType as dictType FROM ckControl AS a, NameDict AS b "
            "WHERE a.CtlName=b.ctlName and a.NeedPrint=1 and a.NeedShow=1 and b.PrintItem=1 and "
            "a.CheckTypeId=:id and b.CheckTypeName=:kind order by b.ShowOrd"),
        {{QStringLiteral("id"), checkTypeId},
         {QStringLiteral("kind"), t.text(QStringLiteral("TypeFirstName"))}});
    QVector<DrawOp> ops;
    for (items.first(); !items.eof(); items.next()) {
        QString type = items.text(QStringLiteral("dictType")).trimmed().toUpper();
        if (type.isEmpty())
            type = QStringLiteral("TEXT");
        if (type != QLatin1String("TEXT") && type != QLatin1String("CHECKBOX") &&
            type != QLatin1String("LINE"))
            continue; // images print nothing
        const ItemLayout layout = ItemLayout::fromRecord(items);
        const QString label = items.text(QStringLiteral("ctlLabel")).trimmed();
        if (mode == Mode::Frames && type != QLatin1String("LINE")) {
            ops += frame(layout, label, context);
            continue;
        }
        QString value = items.text(QStringLiteral("ctlData"));
        if (value.isEmpty())
            value = label;
        QString marker;
        if (type == QLatin1String("TEXT")) {
            value.replace(QLatin1Char('\n'), ItemPlan::kBreakMarker);
            value.remove(QLatin1Char('\r'));
            marker = ItemPlan::kBreakMarker;
        } else if (type == QLatin1String("LINE")) {
            value = QStringLiteral("-");
        }
        try {
            ops += ItemPlan::plan(layout, value, marker, context);
        } catch (const std::exception&) {
            // A layout the printer refuses stays blank on a bill too.
        }
    }
    return ops;
}

PrintDevice::Paper TestPage::setUpLikeBill(core::AppContext& app, PrintDevice& device, int checkTypeId) {
    const QString printer = app.currentPrinter();
    if (!printer.isEmpty() && printer != device.printerName())
        device.selectPrinter(printer);
    const bool landscape = PrintGeometry::isLandscape(PrintLookups::getHXPaperIn(app.db(), checkTypeId));
    device.setOrientation(landscape ? PrintDevice::Orientation::Landscape : PrintDevice::Orientation::Portrait);
    PrinterSetup::applyPaper(device, PaperMemory(app.userIni()).recall(device.printerName()));
    PrintDevice::Paper printerPaper;
    if (TemplatePaperSwitch(app.db(), app.userIni()).applies(checkTypeId, device.printerName())) {
        const QPageSize own = PrintLookups::templatePaper(app.db(), checkTypeId);
        if (own.isValid()) {
            printerPaper = device.paper();
            PrinterSetup::applyPaper(device, {own, printerPaper.source});
        }
    }
    return printerPaper;
}

void TestPage::restorePaper(PrintDevice& device, const PrintDevice::Paper& printerPaper) {
    PrinterSetup::applyPaper(device, printerPaper);
}

bool TestPage::print(core::AppContext& app, PrintDevice& device, int checkTypeId, Mode mode) {
    if (device.printerNames().isEmpty()) {
        app.dialogs().error(QStringLiteral("你需要安装打印机才能打印！"));
        return false;
    }
    PrintDevice::Paper printerPaper;
    try {
        const QVector<DrawOp> ops = plan(app.db(), checkTypeId, mode);
        if (ops.isEmpty()) {
            app.dialogs().message(QStringLiteral("这个模板没有要打印的项目~"));
            return false;
        }
        printerPaper = setUpLikeBill(app, device, checkTypeId);
        device.setCopies(1);
        device.setTitle(mode == Mode::Values ? QStringLiteral("打印测试页")
                                             : QStringLiteral("打印测试页（项目框）"));
        MeasuredCalibration(app.userIni()).applyTo(device, checkTypeId);
        device.beginDocument();
        ItemPlan::draw(ops, device);
        device.endDocument();
        restorePaper(device, printerPaper);
        return true;
    } catch (const core::DbError& e) {
        app.dialogs().alert(QStringLiteral("读取打印项目出错：") + e.message(), QStringLiteral("提示"),
                            false);
    } catch (const std::exception&) {
        app.dialogs().alert(QStringLiteral("打印出错，请检查打印机是否可用！"), QStringLiteral("提示"),
                            false);
    }
    device.abort();
    restorePaper(device, printerPaper);
    return false;
}

} // namespace print
