#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "core/TemplateStore.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <memory>

// The cache clean of the tools menu: orphaned template rows, item labels, markers, unused pictures.
class TestCacheClean : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> m_home;

    core::Database& db() { return m_home->db(); }
    int count(const QString& sql) { return db().scalar(sql).toInt(); }
    QString imagePath(const QString& name) const { return m_home->path() + QStringLiteral("Image/") + name; }
    void touch(const QString& path) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("jpg");
    }

private slots:
    void init() {
        m_home = std::make_unique<TestHome>();
        QVERIFY2(m_home->isValid(), qPrintable(m_home->error()));
    }
    void cleanup() { m_home.reset(); }

    void removesOrphansAndMendsLabels() {
        core::Database& d = db();
        d.exec(
            QStringLiteral("insert into CKTypeTable (CheckTypeID,TypeName,TypeFirstName,ImgFile) values "
                           "(20,'无此类（甲）','无此类','img20.jpg'), (21,'出货单（乙）','','shd21.jpg')"));
        d.exec(QStringLiteral(
            "insert into ckControl (CheckTypeID,CtlName) values (20,'zdPJBH'), (999,'zdPJBH'), "
            "(1,'zdNoSuchItem'), (21,'zdPJBH')"));
        d.exec(QStringLiteral("insert into DMTable (DMName,DMValue,CheckTypeId) values ('cfgA','1',999), "
                              "('cfgB','1',0), ('cfgC','1',21)"));
        d.exec(QStringLiteral("insert into DataCheckFHDSHD (票据编号) values ('N1')"));
        d.exec(QStringLiteral("insert into DataCheckFHDSHDDetail (票据编号) values ('N1'), ('N2')"));
        d.exec(QStringLiteral(
            "update ckControl set CtlCName='旧标签' where CheckTypeID=1 and CtlName='zdPJBH'"));
        d.exec(QStringLiteral("update ckControl set CtlCName='' where CheckTypeID=21"));
        d.exec(QStringLiteral("update CKTypeTable set IniFile='1.ini' where CheckTypeID=1"));
        // A second label row for the same item makes the label ambiguous: it is left alone.
        d.exec(QStringLiteral(
            "insert into NameDict (CheckTypeName,CtlName,CtlLabel) values ('出货单','zdTitleSub','别名')"));
        d.exec(QStringLiteral(
            "update ckControl set CtlCName='旧副标题' where CheckTypeID=1 and CtlName='zdTitleSub'"));

        QVERIFY(!m_home->app().templates().resetTemps(false));

        QCOMPARE(count(QStringLiteral("select count(*) from CKTypeTable where CheckTypeID=20")), 0);
        QCOMPARE(count(QStringLiteral("select count(*) from CKTypeTable where CheckTypeID=21")), 1);
        QCOMPARE(count(QStringLiteral("select count(*) from ckControl where CheckTypeID in (20,999)")), 0);
        QCOMPARE(count(QStringLiteral("select count(*) from ckControl where CtlName='zdNoSuchItem'")), 0);
        QCOMPARE(count(QStringLiteral("select count(*) from DMTable where DMName in ('cfgB','cfgC')")), 2);
        QCOMPARE(count(QStringLiteral("select count(*) from DMTable where DMName='cfgA'")), 0);
        QCOMPARE(count(QStringLiteral("select count(*) from DataCheckFHDSHDDetail")), 1);
        QCOMPARE(count(QStringLiteral("select count(*) from CKTypeTable where IniFile<>''")), 0);
        QCOMPARE(d.scalar(QStringLiteral(
                              "select CtlCName from ckControl where CheckTypeID=1 and CtlName='zdPJBH'"))
                     .toString(),
                 QStringLiteral("票据编号"));
        QCOMPARE(d.scalar(QStringLiteral("select CtlCName from ckControl where CheckTypeID=21")).toString(),
                 QStringLiteral("票据编号")); // kind taken from the full name
        QCOMPARE(d.scalar(QStringLiteral(
                              "select CtlCName from ckControl where CheckTypeID=1 and CtlName='zdTitleSub'"))
                     .toString(),
                 QStringLiteral("旧副标题"));
        QCOMPARE(
            m_home->dialogs().texts(),
            (QStringList{"缓冲数据清除需要耗费1-2分钟时间，请【确定】后，稍耐心等待~", "缓存清除成功！"}));
    }

    void closingMessageDependsOnChildWindows() {
        QVERIFY(m_home->app().templates().resetTemps(true));
        QCOMPARE(m_home->dialogs().lastText(), QStringLiteral("缓存清除需要关闭开单界面重新打开！"));
    }

    void failureIsNeverReportedAsSuccess() {
        db().exec(QStringLiteral("drop table DataCheckFHDSHDDetail"));
        QVERIFY(!m_home->app().templates().resetTemps(true));
        const QStringList texts = m_home->dialogs().texts();
        QCOMPARE(texts.size(), 1);
        QVERIFY(texts.first().startsWith(QStringLiteral("清除软件缓存失败！")));
        QVERIFY(texts.first().contains(QLatin1String("DataCheckFHDSHDDetail"), Qt::CaseInsensitive));
    }

    void keepsPicturesInUseSystemAndProtected_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("kept");
        QTest::newRow("image of template 1") << "shd1.jpg" << true;
        QTest::newRow("shipped splash") << "Sys_boot.jpg" << true;
        QTest::newRow("SYS_ in upper case") << "MY_SYS_LOGO.jpg" << true;
        QTest::newRow("sys_ in lower case") << "old_sys_x.jpg" << true;
        QTest::newRow("named by ImgFile in another letter case") << "shd12.jpg" << true;
        QTest::newRow("substring of an ImgFile") << "d12.jpg" << true;
        QTest::newRow("unused") << "shd99.jpg" << false;
        QTest::newRow("unused, upper-case extension") << "SHD98.JPG" << false;
        QTest::newRow("read-only") << "readonly.jpg" << true;
        QTest::newRow("hidden") << ".hidden.jpg" << true;
        QTest::newRow("in a subfolder") << "sub/shd97.jpg" << true;
        QTest::newRow("not a jpg") << "notes.png" << true;
    }
    void keepsPicturesInUseSystemAndProtected() {
        QFETCH(QString, file);
        QFETCH(bool, kept);
        db().exec(
            QStringLiteral("insert into CKTypeTable (CheckTypeID,TypeName,TypeFirstName,ImgFile) values "
                           "(12,'出货单（十二）','出货单','SHD12.JPG')"));
        QDir().mkpath(imagePath(QStringLiteral("sub")));
        const QString path = imagePath(file);
        if (!QFile::exists(path))
            touch(path);
        if (file == QLatin1String("readonly.jpg"))
            QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        m_home->app().templates().resetTemps(false);
        QCOMPARE(QFile::exists(path), kept);
    }

    void failingImageListDeletesNothing() {
        touch(imagePath(QStringLiteral("unused.jpg")));
        db().exec(QStringLiteral("alter table CKTypeTable rename column ImgFile to Picture"));
        m_home->app().templates().resetTemps(false);
        QVERIFY(QFile::exists(imagePath(QStringLiteral("unused.jpg"))));
        QVERIFY(QFile::exists(imagePath(QStringLiteral("shd1.jpg"))));
    }
};

OVERPRINT_TEST(TestCacheClean)
#include "TestCacheClean.moc"
