#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "imports/CellText.h"
#include "imports/GridExport.h"
#include "imports/Spreadsheet.h"
#include "imports/XlsxExport.h"
#include "imports/ZipArchive.h"
#include "imports/ui/ExportGrid2Excel.h"
#include "imports/ui/TfrmExportExcel.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstring>
#include <limits>

using imports::GridExport;
using imports::Spreadsheet;

namespace {

// A grid of orders: 订单号 with leading zeros, a number, a hidden-to-be 备注 and a phone.
std::unique_ptr<QStandardItemModel> ordersModel(int rows) {
    auto model = std::make_unique<QStandardItemModel>(rows, 4);
    model->setHorizontalHeaderLabels({"订单号", "金额", "备注", "电话"});
    for (int r = 0; r < rows; ++r) {
        model->setItem(r, 0, new QStandardItem(QStringLiteral("%1").arg(r + 123, 6, 10, QLatin1Char('0'))));
        auto* amount = new QStandardItem;
        amount->setData(12.5 * (r + 1), Qt::DisplayRole);
        model->setItem(r, 1, amount);
        model->setItem(r, 2, new QStandardItem(QStringLiteral("备注%1").arg(r)));
        auto* phone = new QStandardItem;
        phone->setData(13800138000.0 + r, Qt::DisplayRole);
        model->setItem(r, 3, phone);
    }
    return model;
}

QStringList rowOf(const Spreadsheet& book, int row) {
    QStringList cells;
    for (int c = 1; c <= book.usedColumns(); ++c)
        cells.append(book.cell(row, c));
    return cells;
}

// Whether cell A<row> of the first sheet uses a bold font of the given size.
bool cellFont(const QString& path, int row, bool& bold, double& size) {
    imports::ZipArchive zip(path);
    const QString sheet = QString::fromUtf8(zip.read(QStringLiteral("xl/worksheets/sheet1.xml")));
    const QString styles = QString::fromUtf8(zip.read(QStringLiteral("xl/styles.xml")));
    const auto cell = QRegularExpression(QStringLiteral("<c r=\"A%1\" s=\"(\\d+)\"").arg(row)).match(sheet);
    if (!cell.hasMatch())
        return false;
    const QString xfs =
        styles.section(QStringLiteral("<cellXfs"), 1).section(QStringLiteral("</cellXfs>"), 0, 0);
    const QStringList xfList = xfs.split(QStringLiteral("<xf "));
    const QString xf = xfList.value(cell.captured(1).toInt() + 1);
    const int fontId = QRegularExpression(QStringLiteral("fontId=\"(\\d+)\"")).match(xf).captured(1).toInt();
    const QString fonts =
        styles.section(QStringLiteral("<fonts"), 1).section(QStringLiteral("</fonts>"), 0, 0);
    const QString font = fonts.split(QStringLiteral("<font>")).value(fontId + 1);
    bold = font.contains(QStringLiteral("<b/>"));
    size = QRegularExpression(QStringLiteral("<sz val=\"([\\d.]+)\"")).match(font).captured(1).toDouble();
    return true;
}

// What was shown to the user, without the file choices.
QStringList messages(const core::ScriptedDialogs& dialogs) {
    QStringList texts;
    for (const auto& shown : dialogs.shown) {
        if (shown.kind != u"save")
            texts.append(shown.text);
    }
    return texts;
}

} // namespace

class TestGridExport : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QStringList m_opened;

    GridExport::Result exportModel(core::ScriptedDialogs& dialogs, QAbstractItemModel* model,
                                   const QVector<int>& columns, const QString& target, int abortAfter = -1) {
        if (!target.isEmpty())
            dialogs.files.enqueue(target);
        GridExport exporter(dialogs, model, columns, QStringLiteral("订单批量导出Excel"));
        exporter.setOpener([this](const QString& path) {
            m_opened.append(path);
            return true;
        });
        return exporter.run([](int) {}, [abortAfter](int done) { return done != abortAfter; });
    }

private slots:
    void init() { m_opened.clear(); }

    // Columns left out, texts kept as written, numbers without exponent.
    void writtenCells_data() {
        QTest::addColumn<QVector<int>>("columns");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QStringList>("firstRow");
        QTest::newRow("all columns") << QVector<int>{0, 1, 2, 3}
                                     << QStringList{"订单号", "金额", "备注", "电话"}
                                     << QStringList{"000123", "12.5", "备注0", "13800138000"};
        QTest::newRow("third hidden") << QVector<int>{0, 1, 3} << QStringList{"订单号", "金额", "电话"}
                                      << QStringList{"000123", "12.5", "13800138000"};
        QTest::newRow("moved by the user")
            << QVector<int>{3, 0} << QStringList{"电话", "订单号"} << QStringList{"13800138000", "000123"};
    }
    void writtenCells() {
        QFETCH(QVector<int>, columns);
        QFETCH(QStringList, titles);
        QFETCH(QStringList, firstRow);
        auto model = ordersModel(5);
        core::ScriptedDialogs dialogs;
        const QString target = m_dir.filePath(QStringLiteral("cells.xlsx"));
        QCOMPARE(exportModel(dialogs, model.get(), columns, target), GridExport::Result::Done);
        QCOMPARE(dialogs.lastText(), QStringLiteral("5条记录导出完成！"));
        QCOMPARE(m_opened, QStringList{target});
        Spreadsheet book;
        book.open(target);
        QCOMPARE(book.usedRows(), 6);
        QCOMPARE(rowOf(book, 1), titles);
        QCOMPARE(rowOf(book, 2), firstRow);
        QVERIFY(!QFile::exists(target + QStringLiteral(".part")));
        // Widths follow the longest text: the phone's 11 digits against 金额 and 12.5.
        const QString xml =
            QString::fromUtf8(imports::ZipArchive(target).read(QStringLiteral("xl/worksheets/sheet1.xml")));
        const auto widthOf = [&xml](int column) {
            const QRegularExpression re(
                QStringLiteral("<col min=\"%1\" max=\"%1\" width=\"([\\d.]+)\"").arg(column));
            return re.match(xml).captured(1).toDouble();
        };
        const int phone = titles.indexOf(QStringLiteral("电话")) + 1;
        const int amount = titles.indexOf(QStringLiteral("金额")) + 1;
        QVERIFY2(widthOf(phone) > 0, qPrintable(xml.left(600)));
        if (amount > 0)
            QVERIFY(widthOf(phone) > widthOf(amount));
    }

    // Awkward texts come back from our own reader as they were written, one after another in a
    // column (a shorter text after a longer one, a cut one before the next), and the column is
    // as wide as a column holding only its widest text.
    void awkwardTextsReadBack_data() {
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("widest");
        const QString longText = QString(40000, QLatin1Char('x'));
        // The cut at the cell limit falls inside a surrogate pair.
        const QString cutPair =
            QString(imports::XlsxExport::maxCellLength - 1, QLatin1Char('a')) + QStringLiteral("\U0001F600");
        QTest::newRow("text that looks like something else")
            << QVariantList{"000123", "1e5", "-0", "'apostrophe", "O'Brien", "=SUM(A1)", "<&>\"", "12.50"}
            << QStringList{"000123", "1e5", "-0", "'apostrophe", "O'Brien", "=SUM(A1)", "<&>\"", "12.50"}
            << 11;
        QTest::newRow("empty and NULL between texts")
            << QVariantList{"上海市浦东新区", QString(), QVariant(), "A", QVariant(), "北京"}
            << QStringList{"上海市浦东新区", "", "", "A", "", "北京"} << 14;
        QTest::newRow("long text cut, shorter ones after")
            << QVariantList{longText, "short", "中"}
            << QStringList{longText.left(imports::XlsxExport::maxCellLength), "short", "中"}
            << imports::XlsxExport::maxCellLength;
        QTest::newRow("half a pair is not carried into the next cell")
            << QVariantList{cutPair, "b", QStringLiteral("x") + QChar(0xD83D), "c"}
            << QStringList{cutPair.left(imports::XlsxExport::maxCellLength - 1), "b",
                           QStringLiteral("x") + QChar(QChar::ReplacementCharacter), "c"}
            << imports::XlsxExport::maxCellLength;
        QTest::newRow("wider text after a longer one")
            << QVariantList{"abcdefghij", "中文中文中文", "abc"}
            << QStringList{"abcdefghij", "中文中文中文", "abc"} << 12;
        QTest::newRow("longer text after a wider one")
            << QVariantList{"中文中文中文", "abcdefghijklm", "中"}
            << QStringList{"中文中文中文", "abcdefghijklm", "中"} << 13;
    }
    void awkwardTextsReadBack() {
        QFETCH(QVariantList, values);
        QFETCH(QStringList, expected);
        QFETCH(int, widest);
        QStandardItemModel model(static_cast<int>(values.size()), 2);
        model.setHorizontalHeaderLabels({"A", "B"});
        for (int r = 0; r < values.size(); ++r) {
            auto* item = new QStandardItem;
            item->setData(values.at(r), Qt::DisplayRole);
            model.setItem(r, 0, item);
        }
        // Column B holds only a text of the widest width, for comparing the column widths.
        model.setItem(0, 1, new QStandardItem(QString(widest, QLatin1Char('w'))));
        core::ScriptedDialogs dialogs;
        const QString target = m_dir.filePath(QStringLiteral("awkward.xlsx"));
        QCOMPARE(exportModel(dialogs, &model, {0, 1}, target), GridExport::Result::Done);
        Spreadsheet book;
        book.open(target);
        QStringList read;
        for (int r = 2; r <= values.size() + 1; ++r)
            read.append(book.cell(r, 1));
        QCOMPARE(read, expected);
        const QString xml =
            QString::fromUtf8(imports::ZipArchive(target).read(QStringLiteral("xl/worksheets/sheet1.xml")));
        const auto widthOf = [&xml](int column) {
            const QRegularExpression re(
                QStringLiteral("<col min=\"%1\" max=\"%1\" width=\"([\\d.]+)\"").arg(column));
            return re.match(xml).captured(1);
        };
        QVERIFY(!widthOf(1).isEmpty());
        QCOMPARE(widthOf(1), widthOf(2));
    }

    // Numbers are written as CellText shows them: shortest form, rounded to 15 digits.
    void numberTexts_data() {
        QTest::addColumn<QVector<double>>("values");
        QRandomGenerator random(20240611);
        QVector<double> bits;
        QVector<double> amounts;
        QVector<double> sums;
        QVector<double> wholes;
        for (int i = 0; i < 3000; ++i) {
            double d = 0;
            const quint64 pattern = random.generate64();
            std::memcpy(&d, &pattern, sizeof d);
            bits.append(d);
            amounts.append(static_cast<double>(random.bounded(-10000000, 10000000)) / 100.0);
            sums.append(amounts.last() * 3 + 0.1 * random.bounded(100));
            wholes.append(static_cast<double>(random.generate64() >> random.bounded(4, 20)) *
                          (i % 2 ? -1 : 1));
        }
        QTest::newRow("bit patterns") << bits;
        QTest::newRow("amounts") << amounts;
        QTest::newRow("sums with binary noise") << sums;
        QTest::newRow("whole numbers") << wholes;
        QTest::newRow("edges") << QVector<double>{0.0,
                                                  -0.0,
                                                  0.1 + 0.2,
                                                  1e15,
                                                  1e15 - 1,
                                                  -1e15 + 1,
                                                  999999999999999.5,
                                                  9007199254740993.0,
                                                  1234567890123456.0,
                                                  123456789012345.6,
                                                  1e20,
                                                  1e-7,
                                                  5e-324,
                                                  1.7976931348623157e308,
                                                  std::numeric_limits<double>::infinity(),
                                                  std::numeric_limits<double>::quiet_NaN()};
    }
    void numberTexts() {
        QFETCH(QVector<double>, values);
        QStandardItemModel model(values.size(), 1);
        for (int r = 0; r < values.size(); ++r) {
            auto* item = new QStandardItem;
            item->setData(values.at(r), Qt::DisplayRole);
            model.setItem(r, 0, item);
        }
        for (int r = 0; r < values.size(); ++r) {
            const QString text = GridExport::cellText(model, r, 0);
            QVERIFY2(text == imports::CellText::number(values.at(r)),
                     qPrintable(QString::number(values.at(r), 'g', 17) + QStringLiteral(" -> ") + text));
        }
    }

    void emptyGridAnsweredYesGivesTitleRow() {
        auto model = ordersModel(0);
        core::ScriptedDialogs dialogs;
        dialogs.answers.enqueue(1);
        const QString target = m_dir.filePath(QStringLiteral("sample.xlsx"));
        int total = -1;
        dialogs.files.enqueue(target);
        GridExport exporter(dialogs, model.get(), {0, 1, 2, 3}, QStringLiteral("商品导出Excel"));
        exporter.setOpener([](const QString&) { return true; });
        QCOMPARE(exporter.run([&total](int t) { total = t; }, [](int) { return true; }),
                 GridExport::Result::Done);
        QCOMPARE(total, 0);
        QCOMPARE(messages(dialogs),
                 (QStringList{"没有可导出的数据~", "需要仅仅导出一个空的格式样本吗？", "0条记录导出完成！"}));
        QCOMPARE(dialogs.shown.at(1).caption, QStringLiteral("询问"));
        Spreadsheet book;
        book.open(target);
        QCOMPARE(book.usedRows(), 1);
        QCOMPARE(rowOf(book, 1), (QStringList{"订单号", "金额", "备注", "电话"}));
        bool bold = false;
        double size = 0;
        QVERIFY(cellFont(target, 1, bold, size));
        QVERIFY(bold);
        QCOMPARE(size, 9.0);
    }

    void nothingWritten_data() {
        QTest::addColumn<bool>("hasModel");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("chooseFile");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("lastText");
        QTest::newRow("no grid") << false << 0 << true << int(GridExport::Result::NoData)
                                 << "导出失败，没有可用的导出数据表！";
        QTest::newRow("empty grid, no sample")
            << true << 0 << true << int(GridExport::Result::Declined) << "需要仅仅导出一个空的格式样本吗？";
        QTest::newRow("file choice cancelled")
            << true << 3 << false << int(GridExport::Result::Cancelled) << "";
    }
    void nothingWritten() {
        QFETCH(bool, hasModel);
        QFETCH(int, rows);
        QFETCH(bool, chooseFile);
        QFETCH(int, result);
        QFETCH(QString, lastText);
        auto model = ordersModel(rows);
        core::ScriptedDialogs dialogs;
        const QString target = m_dir.filePath(QStringLiteral("never.xlsx"));
        QCOMPARE(int(exportModel(dialogs, hasModel ? model.get() : nullptr, {0, 1},
                                 chooseFile ? target : QString())),
                 result);
        QCOMPARE(messages(dialogs).value(messages(dialogs).size() - 1), lastText);
        QVERIFY(!QFile::exists(target));
        QVERIFY(m_opened.isEmpty());
    }

    void abortKeepsRowsDone() {
        auto model = ordersModel(10);
        core::ScriptedDialogs dialogs;
        const QString target = m_dir.filePath(QStringLiteral("aborted.xlsx"));
        QCOMPARE(exportModel(dialogs, model.get(), {0, 1}, target, 2), GridExport::Result::Aborted);
        QCOMPARE(messages(dialogs), QStringList{"导出已被中止，已经导出了2个."});
        Spreadsheet book;
        book.open(target);
        QCOMPARE(book.usedRows(), 3);
        QCOMPARE(m_opened, QStringList{target});
    }

    void failureLeavesNoFile() {
        auto model = ordersModel(2);
        core::ScriptedDialogs dialogs;
        const QString target = m_dir.filePath(QStringLiteral("missing-folder/x.xlsx"));
        QCOMPARE(exportModel(dialogs, model.get(), {0}, target), GridExport::Result::Failed);
        QVERIFY2(dialogs.lastText().startsWith(QStringLiteral("数据导出Excel出错,错误提示:")),
                 qPrintable(dialogs.lastText()));
        QVERIFY(!QFile::exists(target));
    }

    void noProgramToOpenSaysWhere() {
        auto model = ordersModel(1);
        core::ScriptedDialogs dialogs;
        const QString target = m_dir.filePath(QStringLiteral("where.xlsx"));
        dialogs.files.enqueue(m_dir.filePath(QStringLiteral("where")));
        GridExport exporter(dialogs, model.get(), {0}, QStringLiteral("单位信息导出"));
        exporter.setOpener([](const QString&) { return false; });
        QCOMPARE(exporter.run([](int) {}, [](int) { return true; }), GridExport::Result::Done);
        QCOMPARE(exporter.savedPath(), target);
        QVERIFY(dialogs.lastText().contains(QDir::toNativeSeparators(target)));
        QVERIFY(QFile::exists(target));
    }

    // SQL grids show captions over their columns; the title row holds the field names.
    void sqlGridWritesFieldNames() {
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("gridexport"));
            db.setDatabaseName(QStringLiteral(":memory:"));
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("create table t (name text, price real)")));
            QVERIFY(q.exec(QStringLiteral("insert into t values ('O''Brien', 0.1), ('王''s店', 1e10)")));
            QSqlQueryModel model;
            model.setQuery(QStringLiteral("select name, price from t"), db);
            model.setHeaderData(0, Qt::Horizontal, QStringLiteral("名称"));
            core::ScriptedDialogs dialogs;
            const QString target = m_dir.filePath(QStringLiteral("sql.xlsx"));
            QCOMPARE(exportModel(dialogs, &model, {0, 1}, target), GridExport::Result::Done);
            Spreadsheet book;
            book.open(target);
            QCOMPARE(rowOf(book, 1), (QStringList{"name", "price"}));
            QCOMPARE(rowOf(book, 2), (QStringList{"O'Brien", "0.1"}));
            QCOMPARE(rowOf(book, 3), (QStringList{"王's店", "10000000000"}));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("gridexport"));
    }

    void shownColumnsOfGrid() {
        auto model = ordersModel(1);
        QTableView view;
        view.setModel(model.get());
        view.setColumnHidden(2, true);
        view.horizontalHeader()->moveSection(3, 0);
        QCOMPARE(imports::shownColumns(view), (QVector<int>{3, 0, 1}));
    }

    // The window through its buttons: counters, caption, the run, abort during the run.
    void windowRunsAndAborts_data() {
        QTest::addColumn<bool>("abort");
        QTest::addColumn<QString>("lastText");
        QTest::addColumn<int>("sheetRows");
        QTest::newRow("to the end") << false << "7条记录导出完成！" << 8;
        QTest::newRow("aborted") << true << "导出已被中止，已经导出了1个." << 2;
    }
    void windowRunsAndAborts() {
        QFETCH(bool, abort);
        QFETCH(QString, lastText);
        QFETCH(int, sheetRows);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        auto model = ordersModel(7);
        const QString target = m_dir.filePath(QStringLiteral("window.xlsx"));
        home.dialogs().files.enqueue(target);
        imports::TfrmExportExcel window(home.app(), model.get(), {0, 1, 3},
                                        QStringLiteral("订单明细Excel格式"));
        QStringList opened;
        window.setOpener([&opened](const QString& path) {
            opened.append(path);
            return true;
        });
        window.show();
        QCOMPARE(window.windowTitle(), QStringLiteral("青木鸟软件-导出-订单明细Excel格式"));
        auto* lbN = window.findChild<QLabel*>(QStringLiteral("lbN"));
        auto* lbALL = window.findChild<QLabel*>(QStringLiteral("lbALL"));
        auto* btStart = window.findChild<QPushButton*>(QStringLiteral("btStart"));
        auto* btAbort = window.findChild<QPushButton*>(QStringLiteral("btAbort"));
        QVERIFY(lbN && lbALL && btStart && btAbort);
        QCOMPARE(lbN->text(), QStringLiteral("0"));
        QCOMPARE(btStart->text(), QStringLiteral("开始导出"));
        // Pressed while the run services the user interface after its first row.
        if (abort)
            QTimer::singleShot(0, btAbort, [btAbort] { QTest::mouseClick(btAbort, Qt::LeftButton); });
        QTest::mouseClick(btStart, Qt::LeftButton);
        QCOMPARE(home.dialogs().lastText(), lastText);
        QCOMPARE(lbALL->text(), QStringLiteral("7"));
        QCOMPARE(lbN->text(), abort ? QStringLiteral("1") : QStringLiteral("7"));
        QVERIFY(!btStart->isEnabled());
        QVERIFY(!window.isVisible());
        QCOMPARE(opened, QStringList{target});
        Spreadsheet book;
        book.open(target);
        QCOMPARE(book.usedRows(), sheetRows);
        QCOMPARE(book.cell(2, 3), QStringLiteral("13800138000"));
    }
};

OVERPRINT_TEST(TestGridExport)
#include "TestGridExport.moc"
