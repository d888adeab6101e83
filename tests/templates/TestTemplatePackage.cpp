#include "core/ScriptedDialogs.h"
#include "print/ItemPlan.h"
#include "print/ItemRenderer.h"
#include "print/RecordingPrintDevice.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"
#include "templates/TemplatePackage.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using templates::PackageTransfer;
using templates::TemplatePackage;

namespace {

// Every stored row of the template tables and the image folder, for "nothing changed".
QStringList storeDump(TestHome& home) {
    QStringList out;
    for (const char* sql : {"select * from CKTypeTable order by CheckTypeID",
                            "select * from ckControl order by ID", "select * from DMTable order by ID"}) {
        core::Recordset rs = home.db().query(QLatin1String(sql));
        for (rs.first(); !rs.eof(); rs.next()) {
            QStringList cells;
            for (int i = 0; i < rs.fieldCount(); ++i)
                cells << (rs.value(i).isNull() ? QStringLiteral("<null>") : rs.text(i));
            out << cells.join(QLatin1Char('|'));
        }
    }
    const QDir images(home.path() + QStringLiteral("Image"));
    for (const QString& f : images.entryList(QDir::Files, QDir::Name)) {
        QFile file(images.filePath(f));
        file.open(QIODevice::ReadOnly);
        out << f + QLatin1Char(':') + QString::number(qHash(file.readAll()));
    }
    return out;
}

QList<QVariantMap> rows(TestHome& home, const QString& sql, const QStringList& skip) {
    core::Recordset rs = home.db().query(sql);
    QList<QVariantMap> out;
    for (rs.first(); !rs.eof(); rs.next()) {
        QVariantMap row;
        for (const QString& f : rs.fieldNames())
            if (!skip.contains(f, Qt::CaseInsensitive))
                row.insert(f, rs.value(f));
        out << row;
    }
    return out;
}

// Every call a printer gets for the printable items of a template, each item printing its test
// value: what a page of that template looks like to the printer.
QStringList printedPage(TestHome& home, int id) {
    print::RecordingPrintDevice device;
    device.beginDocument();
    print::ItemRenderer renderer(home.app(), device);
    core::Recordset items = home.db().query(
        QStringLiteral("select a.CtlName, b.CtlData, b.CtlLabel from ckControl a, NameDict b where "
                       "a.CtlName=b.CtlName and b.CheckTypeName='出货单' and b.PrintItem=1 and "
                       "a.NeedPrint=1 and a.CheckTypeID=:id order by a.CtlName"),
        {{QStringLiteral("id"), id}});
    QStringList out;
    for (items.first(); !items.eof(); items.next()) {
        QString value = items.text(QStringLiteral("CtlData"));
        if (value.trimmed().isEmpty())
            value = items.text(QStringLiteral("CtlLabel"));
        device.clearDrawing();
        renderer.printCheckItem(id, 0, 0, items.text(QStringLiteral("CtlName")), value,
                                print::ItemPlan::kBreakMarker);
        for (const auto& t : device.texts)
            out << QStringLiteral("%1,%2 %3 %4 %5 %6:%7")
                       .arg(t.x)
                       .arg(t.y)
                       .arg(t.font)
                       .arg(t.size)
                       .arg(t.bold)
                       .arg(t.color.name())
                       .arg(t.text);
        for (const auto& l : device.lines)
            out << QStringLiteral("%1,%2-%3,%4").arg(l.x1).arg(l.y1).arg(l.x2).arg(l.y2);
    }
    return out;
}

// Runs statements on a package file directly, as someone crafting one would.
void craft(const QString& path, const QStringList& statements) {
    const QString name = QStringLiteral("craft");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery q(db);
        for (const QString& s : statements)
            QVERIFY2(q.exec(s), qPrintable(s));
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray hugeJpegHeader() {
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::white);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    const int sof = bytes.indexOf(QByteArray("\xFF\xC0", 2));
    for (int at : {sof + 5, sof + 7}) { // height, width: 60000 each
        bytes[at] = char(0xEA);
        bytes[at + 1] = char(0x60);
    }
    return bytes;
}

// A copy of a package from tests/data/packages, to craft further.
QString packageCopy(const QTemporaryDir& dir, const QString& name) {
    const QString path = dir.filePath(name);
    QFile::remove(path);
    QFile::copy(TestHome::testData(QStringLiteral("packages/") + name), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

QStringList imageFolder(TestHome& home) {
    return QDir(home.path() + QStringLiteral("Image")).entryList(QDir::Files, QDir::Name);
}

// What a kill -9 at a step leaves: nothing after that point runs, and the open transaction is
// rolled back as the engine does when the process is gone.
struct Killed {};

} // namespace

class TestTemplatePackage : public QObject {
    Q_OBJECT

    QTemporaryDir scratch;

    QString exported(TestHome& home, const QStringList& names,
                     const QString& file = QStringLiteral("p.qpk")) {
        const QString path = scratch.filePath(file);
        const PackageTransfer::Report r = PackageTransfer(home.app()).exportTemplates(names, path);
        if (r.succeeded != names.size())
            qWarning() << r.notes;
        return path;
    }

private slots:
    // Both shipped templates leave one installation and arrive whole in another one.
    void roundTrip() {
        TestHome source;
        source.db().exec(QStringLiteral("update ckControl set Align='2', CtlFontColor='255' where "
                                        "CheckTypeID=2 and CtlName like 'zdJE%'"));
        source.db().exec(QStringLiteral(
            "update ckControl set CtlCName='单''价（元）' where CheckTypeID=2 and CtlName='zdDJ1'"));
        const QStringList names{QStringLiteral("出货单（标准）"), QStringLiteral("出货单（三联241）")};
        const QString package = exported(source, names);
        const QStringList pages[] = {printedPage(source, 1), printedPage(source, 2)};
        QVERIFY(pages[0].size() > 20 && pages[1].size() > 20);

        TestHome target;
        for (const char* table : {"CKTypeTable", "ckControl", "DMTable"})
            target.db().exec(QStringLiteral("delete from ") + QLatin1String(table) +
                             QStringLiteral(" where CheckTypeID in (1,2)"));
        const PackageTransfer::Report r = PackageTransfer(target.app()).importTemplates(package, names);
        QCOMPARE(r.succeeded, 2);
        QCOMPARE(r.failed, 0);
        const QStringList notKept{QStringLiteral("IsDefault"), QStringLiteral("ShowOrd"),
                                  QStringLiteral("IniFile")};
        QCOMPARE(rows(target, QStringLiteral("select * from CKTypeTable order by CheckTypeID"), notKept),
                 rows(source, QStringLiteral("select * from CKTypeTable order by CheckTypeID"), notKept));
        const QStringList keys{QStringLiteral("ID")};
        QCOMPARE(rows(target, QStringLiteral("select * from ckControl order by CheckTypeID, ID"), keys),
                 rows(source, QStringLiteral("select * from ckControl order by CheckTypeID, ID"), keys));
        // The same values print the same page.
        QCOMPARE(printedPage(target, 1), pages[0]);
        QCOMPARE(printedPage(target, 2), pages[1]);
        for (const char* image : {"Image/shd1.jpg", "Image/shd2.jpg"}) {
            QFile a(source.path() + QLatin1String(image)), b(target.path() + QLatin1String(image));
            QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
            QCOMPARE(b.readAll(), a.readAll());
        }
        // Exporting again over the file replaces it and leaves no part file behind.
        exported(source, {names[1]});
        QCOMPARE(TemplatePackage(package).names(), QStringList{names[1]});
        QVERIFY(!QFile::exists(package + QStringLiteral(".part")));
    }

    // Packages crafted elsewhere: refused at the door, or their template fails alone.
    void packageFiles_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("why");
        QTest::newRow("good") << "good.qpk" << true << QString();
        QTest::newRow("generated column") << "generated-column.qpk" << false << "计算列 _ckControl.Heavy";
        QTest::newRow("stored generated") << "stored-generated-column.qpk" << false << "计算列";
        QTest::newRow("view") << "view.qpk" << false << "view";
        QTest::newRow("trigger") << "trigger.qpk" << false << "trigger";
        QTest::newRow("virtual table") << "virtual-table.qpk" << false << "虚拟表";
        QTest::newRow("expression index") << "expression-index.qpk" << false << "表达式索引";
        QTest::newRow("png") << "png-image.qpk" << true << "不是JPEG";
        QTest::newRow("bmp") << "bmp-image.qpk" << true << "不是JPEG";
        QTest::newRow("long text") << "long-text.qpk" << true << "文字过长：ctlcname";
    }
    void packageFiles() {
        QFETCH(QString, file);
        QFETCH(bool, opens);
        QFETCH(QString, why);
        TestHome home;
        const QStringList before = storeDump(home);
        const QString name = QStringLiteral("出货单（小样）");
        PackageTransfer::Report r;
        try {
            r = PackageTransfer(home.app())
                    .importTemplates(TestHome::testData(QStringLiteral("packages/") + file), {name});
            QVERIFY(opens);
        } catch (const core::DbError& e) {
            QVERIFY2(!opens && e.message().contains(why), qPrintable(e.message()));
            QCOMPARE(storeDump(home), before);
            return;
        }
        if (why.isEmpty()) {
            QCOMPARE(r.succeeded, 1);
            // Empty texts arrive as the shipped data has them: "" and not NULL.
            QCOMPARE(home.db()
                         .scalar(QStringLiteral("select count(*) from ckControl a join CKTypeTable b on "
                                                "a.CheckTypeID=b.CheckTypeID where b.TypeName=:n and "
                                                "a.BreakNum='' and a.InitValue=''"),
                                 {{QStringLiteral("n"), name}})
                         .toInt(),
                     2);
            return;
        }
        QCOMPARE(r.failed, 1);
        QVERIFY2(r.notes.value(0).contains(why), qPrintable(r.notes.value(0)));
        QCOMPARE(storeDump(home), before);
    }

    // A template keeps every setting it has up to a bound far above real ones; beyond it fails.
    void settingsRows_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("imported");
        QTest::newRow("more than the old 500") << 1200 << true;
        QTest::newRow("beyond the bound") << TemplatePackage::kMaxSettings + 1 << false;
    }
    void settingsRows() {
        QFETCH(int, rows);
        QFETCH(bool, imported);
        TestHome home;
        const QString path = packageCopy(scratch, QStringLiteral("good.qpk"));
        craft(path, {QStringLiteral("delete from _Config where CheckTypeId=7"),
                     QStringLiteral("insert into _Config (DMName,DMValue,CheckTypeId) with recursive n(i) as "
                                    "(select 1 union all select i+1 from n where i<%1) select 'cfg'||i, i, 7 "
                                    "from n")
                         .arg(rows)});
        const PackageTransfer::Report r =
            PackageTransfer(home.app()).importTemplates(path, {QStringLiteral("出货单（小样）")});
        QCOMPARE(r.succeeded, imported ? 1 : 0);
        if (!imported) {
            QVERIFY2(r.notes.value(0).contains(QStringLiteral("设置项过多")), qPrintable(r.notes.value(0)));
            return;
        }
        QCOMPARE(home.db()
                     .scalar(QStringLiteral("select count(*) from DMTable a join CKTypeTable b on "
                                            "a.CheckTypeId=b.CheckTypeID where b.TypeName='出货单（小样）'"))
                     .toInt(),
                 rows);
    }

    // Values larger than the import accepts are refused by measuring, not by reading them whole.
    void oversizedValues_data() {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("why");
        QTest::newRow("variant of 30 MB")
            << "update _CKTypeTable set TypeDescribe=hex(zeroblob(15*1024*1024))"
            << "too big";
        QTest::newRow("number of 30 MB") << "update _ckControl set CtlX='x'||hex(zeroblob(15*1024*1024))"
                                         << "too big";
        QTest::newRow("number of 40 characters")
            << "update _ckControl set CtlX='1'||hex(zeroblob(20)) where CtlName='zdPJBH'"
            << "ctlx";
        QTest::newRow("setting of 5000 characters")
            << "update _Config set DMValue=hex(zeroblob(2500)) where CheckTypeId=7"
            << "dmvalue";
    }
    void oversizedValues() {
        QFETCH(QString, statement);
        QFETCH(QString, why);
        TestHome home;
        const QString path = packageCopy(scratch, QStringLiteral("good.qpk"));
        craft(path, {statement});
        const QStringList before = storeDump(home);
        // A row beyond the connection's length limit refuses the whole package.
        QString failure;
        try {
            const PackageTransfer::Report r =
                PackageTransfer(home.app()).importTemplates(path, {QStringLiteral("出货单（小样）")});
            QCOMPARE(r.failed, 1);
            failure = r.notes.value(0);
        } catch (const core::DbError& e) {
            failure = e.message();
        }
        QVERIFY2(failure.contains(why, Qt::CaseInsensitive), qPrintable(failure));
        QCOMPARE(storeDump(home), before);
    }

    // A kill at any step of replacing a template leaves it with a picture: the old template with
    // its old picture, or the new one with its new picture. At worst an unused file stays.
    void killedImport_data() {
        QTest::addColumn<int>("step");
        QTest::addColumn<bool>("replaced");
        QTest::addColumn<QStringList>("leftovers");
        using S = PackageTransfer::Step;
        QTest::newRow("image written") << int(S::ImageWritten) << false << QStringList{"shd2-2.jpg.part"};
        QTest::newRow("image placed") << int(S::ImagePlaced) << false << QStringList{"shd2-2.jpg"};
        QTest::newRow("rows written") << int(S::RowsWritten) << false << QStringList{"shd2-2.jpg"};
        QTest::newRow("committed") << int(S::Committed) << true << QStringList{"shd2.jpg"};
        QTest::newRow("no kill") << -1 << true << QStringList{};
    }
    void killedImport() {
        QFETCH(int, step);
        QFETCH(bool, replaced);
        QFETCH(QStringList, leftovers);
        TestHome home;
        const QString path = packageCopy(scratch, QStringLiteral("good.qpk"));
        craft(path, {QStringLiteral(
                        "update _CKTypeTable set typename='出货单（三联241）', TypeDescribe='三联241'")});
        const QByteArray oldImage = fileBytes(home.path() + QStringLiteral("Image/shd2.jpg"));
        const QStringList filesBefore = imageFolder(home);
        PackageTransfer::setStepHook([step](PackageTransfer::Step at) {
            if (int(at) == step)
                throw Killed{};
        });
        try {
            PackageTransfer(home.app()).importTemplates(path, {QStringLiteral("出货单（三联241）")});
            QCOMPARE(step, -1);
        } catch (const Killed&) {
        }
        PackageTransfer::setStepHook({});
        const QString image =
            home.db()
                .scalar(QStringLiteral("select ImgFile from CKTypeTable where CheckTypeID=2"))
                .toString();
        const QByteArray bytes = fileBytes(home.path() + QStringLiteral("Image/") + image);
        QVERIFY2(!bytes.isEmpty(), qPrintable(image));
        QCOMPARE(bytes == oldImage, !replaced);
        QCOMPARE(image == QLatin1String("shd2.jpg"), !replaced);
        QStringList expected = filesBefore;
        if (replaced)
            expected << image;
        expected << leftovers;
        expected.removeDuplicates();
        if (replaced && !leftovers.contains(QStringLiteral("shd2.jpg")))
            expected.removeAll(QStringLiteral("shd2.jpg"));
        expected.sort();
        QCOMPARE(imageFolder(home), expected);
    }

    // Memory running out while one template is imported fails that template alone.
    void allocationFailureFailsTheTemplate() {
        TestHome home;
        const QString path =
            exported(home, {QStringLiteral("出货单（标准）"), QStringLiteral("出货单（三联241）")});
        int calls = 0;
        PackageTransfer::setStepHook([&calls](PackageTransfer::Step at) {
            if (at == PackageTransfer::Step::ImageWritten && calls++ == 0)
                throw std::bad_alloc();
        });
        const PackageTransfer::Report r = PackageTransfer(home.app())
                                              .importTemplates(path, {QStringLiteral("出货单（标准）"),
                                                                      QStringLiteral("出货单（三联241）")});
        PackageTransfer::setStepHook({});
        QCOMPARE(r.failed, 1);
        QCOMPARE(r.succeeded, 1);
        QVERIFY2(r.notes.value(0).contains(QStringLiteral("内存不足")), qPrintable(r.notes.value(0)));
        QVERIFY(imageFolder(home).filter(QStringLiteral(".part")).isEmpty());
    }

    // Packages that must not be opened at all.
    void refusedPackages_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("empty file") << 0;
        QTest::newRow("truncated") << 1;
        QTest::newRow("not sqlite") << 2;
        QTest::newRow("missing image column") << 3;
        QTest::newRow("view") << 4;
    }
    void refusedPackages() {
        QFETCH(int, kind);
        TestHome home;
        QString path = exported(home, {QStringLiteral("出货单（三联241）")});
        QFile file(path);
        switch (kind) {
        case 0:
            file.open(QIODevice::WriteOnly | QIODevice::Truncate);
            break;
        case 1:
            file.resize(2048);
            break;
        case 2:
            file.open(QIODevice::WriteOnly | QIODevice::Truncate);
            file.write(QByteArray(4096, 'x'));
            break;
        case 3:
            craft(path, {QStringLiteral("alter table _CKTypeTable drop column Img_Bytes")});
            break;
        case 4:
            craft(path, {QStringLiteral("create view v as select 1")});
            break;
        }
        file.close();
        try {
            PackageTransfer(home.app()).importTemplates(path, {QStringLiteral("出货单（三联241）")});
            QFAIL("package accepted");
        } catch (const core::DbError& e) {
            QVERIFY2(e.message().startsWith(TemplatePackage::kAccessError), qPrintable(e.message()));
        }
    }

    // A bad template fails alone and leaves the store byte for byte as it was.
    void hostileTemplates_data() {
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<QString>("why");
        QTest::newRow("huge image header")
            << QStringList{QStringLiteral("update _CKTypeTable set Img_Bytes=X'") +
                           QString::fromLatin1(hugeJpegHeader().toHex()) + QLatin1Char('\'')}
            << QStringLiteral("图片尺寸");
        QTest::newRow("big blob") << QStringList{QStringLiteral(
                                         "update _CKTypeTable set Img_Bytes=zeroblob(25*1024*1024)")}
                                  << QStringLiteral("图片大小");
        QTest::newRow("empty image") << QStringList{QStringLiteral("update _CKTypeTable set Img_Bytes=X''")}
                                     << QStringLiteral("图片大小");
        QTest::newRow("crafted number")
            << QStringList{QStringLiteral("update _ckControl set CtlX='1),(3,''x'',1' where rowid=(select "
                                          "max(rowid) from _ckControl)")}
            << QStringLiteral("数值无效");
        QTest::newRow("kind without code")
            << QStringList{QStringLiteral("update _CKTypeTable set TypeFirstName='外星单'")}
            << QStringLiteral("主类型编码");
    }
    void hostileTemplates() {
        QFETCH(QStringList, statements);
        QFETCH(QString, why);
        TestHome home;
        const QString path = exported(home, {QStringLiteral("出货单（三联241）")});
        craft(path,
              statements + QStringList{QStringLiteral("update _CKTypeTable set typename='出货单（新）'")});
        const QStringList before = storeDump(home);
        const PackageTransfer::Report r =
            PackageTransfer(home.app())
                .importTemplates(path, {QStringLiteral("出货单（新）"), QStringLiteral("无此模板")});
        QCOMPARE(r.succeeded, 0);
        QCOMPARE(r.failed, 2);
        QVERIFY2(r.notes.value(0).contains(why), qPrintable(r.notes.value(0)));
        QCOMPARE(storeDump(home), before);
        QVERIFY(
            !home.app().userIni().readString(QStringLiteral("ERROR"), QStringLiteral("LASTERROR")).isEmpty());
    }

    // Replacing the only template of a kind keeps its id and calibration; a package of the earlier
    // layout brings no items, so the replaced template keeps its own.
    void replaceKeepsIdOffsetsAndItems() {
        TestHome home;
        const QString path = exported(home, {QStringLiteral("出货单（三联241）")});
        craft(path, {QStringLiteral("drop table _Config"), QStringLiteral("delete from _ckControl"),
                     QStringLiteral("update _CKTypeTable set CheckBoxs='现金''s,（月结）'")});
        home.db().exec(QStringLiteral("delete from CKTypeTable where CheckTypeID=1"));
        home.db().exec(QStringLiteral("update CKTypeTable set XMove=37, YMove=-12 where CheckTypeID=2"));
        const int items =
            home.db().scalar(QStringLiteral("select count(*) from ckControl where CheckTypeID=2")).toInt();
        const PackageTransfer::Report r =
            PackageTransfer(home.app()).importTemplates(path, {QStringLiteral("出货单（三联241）")});
        QCOMPARE(r.succeeded, 1);
        QVERIFY(r.notes.join(QString()).contains(QStringLiteral("保留了原模板的项目")));
        QCOMPARE(home.db()
                     .scalar(QStringLiteral(
                         "select XMove||','||YMove||','||CheckBoxs from CKTypeTable where CheckTypeID=2"))
                     .toString(),
                 QStringLiteral("37,-12,现金's,（月结）"));
        QCOMPARE(
            home.db().scalar(QStringLiteral("select count(*) from ckControl where CheckTypeID=2")).toInt(),
            items);
    }
};

OVERPRINT_TEST(TestTemplatePackage)
#include "TestTemplatePackage.moc"
