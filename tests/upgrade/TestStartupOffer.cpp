#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "core/AppContext.h"
#include "upgrade/StartupOffer.h"

#include <QFile>
#include <QTest>
#include <memory>

// The question at start: asked exactly when one of the two files is behind the program.
class TestStartupOffer : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> m_home;

    void setDataMark(const QString& mark) {
        core::Database& db = m_home->db();
        db.exec(QStringLiteral("delete from configtable where cname='version'"));
        if (mark != QLatin1String("<none>"))
            db.exec(QStringLiteral("insert into configtable (cname,cvalue) values ('version',:v)"),
                    {{QStringLiteral("v"), mark}});
    }
    void setPackageMark(const QString& mark) {
        const QString path = m_home->app().pathOf(QStringLiteral("Data/Template.a01"));
        if (mark == QLatin1String("<missing>")) {
            QVERIFY(QFile::remove(path));
            return;
        }
        if (mark == QLatin1String("<broken>")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(QByteArray(4096, 'x'));
            return;
        }
        core::Database package(QStringLiteral("test_offer_package"));
        package.open(path);
        if (mark == QLatin1String("<no table>")) {
            package.exec(QStringLiteral("drop table _Config"));
            return;
        }
        package.exec(QStringLiteral("delete from _Config where DMName='version'"));
        if (mark != QLatin1String("<none>"))
            package.exec(
                QStringLiteral("insert into _Config (DMName,DMValue,CheckTypeId) values ('version',:v,0)"),
                {{QStringLiteral("v"), mark}});
    }

private slots:
    void init() {
        m_home = std::make_unique<TestHome>();
        QVERIFY2(m_home->isValid(), qPrintable(m_home->error()));
        m_home->app().version = QStringLiteral("9.28");
    }
    void cleanup() { m_home.reset(); }

    void offered_data() {
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("package");
        QTest::addColumn<bool>("asked");
        QTest::newRow("both current") << "9.28"
                                      << "9.28" << false;
        QTest::newRow("data file earlier") << "9.27"
                                           << "9.28" << true;
        QTest::newRow("data file without a mark") << "<none>"
                                                  << "9.28" << true;
        QTest::newRow("mark not a version") << "abc"
                                            << "9.28" << true;
        QTest::newRow("9.3 is earlier than 9.28") << "9.3"
                                                  << "9.28" << true;
        QTest::newRow("9.28.0 is 9.28") << "9.28.0"
                                        << "9.28" << false;
        QTest::newRow("data file of a later program") << "10.1"
                                                      << "9.28" << false;
        QTest::newRow("package left behind by a stopped run") << "9.28"
                                                              << "1.0" << true;
        QTest::newRow("package without its mark") << "9.28"
                                                  << "<none>" << true;
        QTest::newRow("package without _Config") << "9.28"
                                                 << "<no table>" << true;
        QTest::newRow("package missing") << "9.28"
                                         << "<missing>" << false;
        QTest::newRow("package unreadable") << "9.28"
                                            << "<broken>" << false;
    }
    void offered() {
        QFETCH(QString, data);
        QFETCH(QString, package);
        QFETCH(bool, asked);
        setDataMark(data);
        setPackageMark(package);
        for (const bool yes : {false, true}) {
            m_home->dialogs().clear();
            m_home->dialogs().answers.enqueue(yes ? 1 : 0);
            int opened = 0;
            QCOMPARE(upgrade::offerAtStart(m_home->app(), [&] { ++opened; }), asked);
            QCOMPARE(m_home->dialogs().shown.size(), asked ? 1 : 0);
            QCOMPARE(opened, asked && yes ? 1 : 0);
            m_home->dialogs().answers.clear();
        }
        if (asked)
            QCOMPARE(m_home->dialogs().lastText(), upgrade::offerText(QStringLiteral("9.28")));
    }

    // The upgrade changes the store for every seat: with the login on it is offered only once an
    // operator with a role has logged in, never at the login window's back; with it off, at start.
    // A command says how to upgrade to the same people and asks nothing.
    void offeredOnlyToWhoMayChangeData_data() {
        QTest::addColumn<bool>("loginOn");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("role");
        QTest::addColumn<bool>("asked");
        QTest::newRow("login off") << false << ""
                                   << "" << true;
        QTest::newRow("login on, before the login") << true << ""
                                                    << "" << false;
        QTest::newRow("logged in") << true << "张三"
                                   << "录单员" << true;
        QTest::newRow("administrator") << true << "李四"
                                       << "管理员" << true;
        QTest::newRow("operator without role") << true << "王五"
                                               << "" << false;
    }
    void offeredOnlyToWhoMayChangeData() {
        QFETCH(bool, loginOn);
        QFETCH(QString, name);
        QFETCH(QString, role);
        QFETCH(bool, asked);
        setDataMark(QStringLiteral("9.27"));
        core::AppContext& app = m_home->app();
        app.setConfigByname(QStringLiteral("进入系统需验证"),
                            loginOn ? QStringLiteral("yes") : QStringLiteral("no"));
        app.userName = name;
        app.userRole = role;
        QCOMPARE(upgrade::offerAtStart(app, [] {}), asked);
        QCOMPARE(m_home->dialogs().shown.size(), asked ? 1 : 0);
        QCOMPARE(upgrade::commandNotice(app).isEmpty(), !asked);
    }

    // A data file that cannot be read is no reason to offer anything: the start reports it.
    void unreadableDataFileAsksNothing() {
        setDataMark(QStringLiteral("9.27"));
        m_home->db().exec(QStringLiteral("drop table configtable"));
        QVERIFY(!upgrade::offerAtStart(m_home->app(), [] {}));
        QVERIFY(m_home->dialogs().shown.isEmpty());
    }
};

OVERPRINT_TEST(TestStartupOffer)
#include "TestStartupOffer.moc"
