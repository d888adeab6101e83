#include "core/ScriptedDialogs.h"
#include "print/ItemPlan.h"
#include "print/ItemRenderer.h"
#include "print/RecordingPrintDevice.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"
#include "templates/TemplateAdmin.h"
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
        templates::TemplateAdmin admin(target.app());
        admin.remove(1);
        admin.remove(2);
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
