#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "core/TemplateStore.h"

#include <QTest>
#include <memory>

using core::DbError;
using core::TemplateStore;

// The template look-ups over the shipped templates 1 (出货单（标准）, default, common) and
// 2 (出货单（三联241）, common) and a few more added here.
class TestTemplateStore : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> m_home;

    TemplateStore& store() { return m_home->app().templates(); }
    core::Database& db() { return m_home->db(); }

    void addTemplate(int id, const QString& name, const QVariant& kind, const QString& variant,
                     const QString& visible, const QString& common = QStringLiteral("否"), int xMove = 0,
                     int yMove = 0) {
        db().exec(QStringLiteral(
                      "insert into CKTypeTable (CheckTypeID,TypeName,TypeFirstName,TypeDescribe,Visiable,"
                      "IsDefault,IsCommon,XMove,YMove) values (:id,:name,:kind,:variant,:visible,'0',"
                      ":common,:x,:y)"),
                  {{QStringLiteral("id"), id},
                   {QStringLiteral("name"), name},
                   {QStringLiteral("kind"), kind},
                   {QStringLiteral("variant"), variant},
                   {QStringLiteral("visible"), visible},
                   {QStringLiteral("common"), common},
                   {QStringLiteral("x"), xMove},
                   {QStringLiteral("y"), yMove}});
    }

private slots:
    void init() {
        m_home = std::make_unique<TestHome>();
        QVERIFY2(m_home->isValid(), qPrintable(m_home->error()));
        const QString on = QStringLiteral("启用");
        addTemplate(10, QStringLiteral("快递单（圆通）"), QStringLiteral(""), QStringLiteral("圆通"), on);
        addTemplate(11, QStringLiteral("快递单(申通)"), QVariant(), QStringLiteral("申通"), on);
        addTemplate(12, QStringLiteral("出货单（王's店）"), QStringLiteral("出货单"),
                    QStringLiteral("王's店"), on, QStringLiteral("是"));
        addTemplate(13, QStringLiteral("出货单（停用）"), QStringLiteral("出货单"), QStringLiteral("停用"),
                    QStringLiteral("停用隐藏"), QStringLiteral("否"), 7, -3);
        addTemplate(14, QStringLiteral("无括号"), QStringLiteral(""), QStringLiteral(""),
                    QStringLiteral("停用隐藏"));
    }
    void cleanup() { m_home.reset(); }

    void lookups_data() {
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<QString>("expected");
        QTest::newRow("kind of a shipped template") << "kindById"
                                                    << "1"
                                                    << ""
                                                    << "出货单";
        QTest::newRow("kind before full-width parenthesis") << "kindById"
                                                            << "10"
                                                            << ""
                                                            << "快递单";
        QTest::newRow("kind before half-width parenthesis, null column") << "kindById"
                                                                         << "11"
                                                                         << ""
                                                                         << "快递单";
        QTest::newRow("kind is the whole name without parenthesis") << "kindById"
                                                                    << "14"
                                                                    << ""
                                                                    << "无括号";
        QTest::newRow("kind of no template") << "kindById"
                                             << "999"
                                             << ""
                                             << "";
        QTest::newRow("id by kind and variant") << "idByKindVariant"
                                                << "出货单"
                                                << "三联241"
                                                << "2";
        QTest::newRow("id by kind and variant with a quote") << "idByKindVariant"
                                                             << "出货单"
                                                             << "王's店"
                                                             << "12";
        QTest::newRow("id by full name when the kind is empty") << "idByKindVariant"
                                                                << "快递单"
                                                                << "圆通"
                                                                << "10";
        QTest::newRow("id of no template") << "idByKindVariant"
                                           << "出货单"
                                           << "没有"
                                           << "0";
        QTest::newRow("id by full name") << "idByFullName"
                                         << "出货单（三联241）"
                                         << ""
                                         << "2";
        QTest::newRow("id by full name with a quote") << "idByFullName"
                                                      << "出货单（王's店）"
                                                      << ""
                                                      << "12";
        QTest::newRow("id by unknown full name") << "idByFullName"
                                                 << "出货单（x）"
                                                 << ""
                                                 << "0";
        QTest::newRow("full name by id") << "fullNameById"
                                         << "2"
                                         << ""
                                         << "出货单（三联241）";
        QTest::newRow("full name of no template") << "fullNameById"
                                                  << "999"
                                                  << ""
                                                  << "";
        QTest::newRow("variant by id") << "variantById"
                                       << "12"
                                       << ""
                                       << "王's店";
        QTest::newRow("variant of no template") << "variantById"
                                                << "999"
                                                << ""
                                                << "";
        QTest::newRow("first kind") << "defaultKind"
                                    << ""
                                    << ""
                                    << "出货单";
        QTest::newRow("kinds") << "kinds"
                               << ""
                               << ""
                               << "出货单";
        QTest::newRow("common variants, default first") << "common"
                                                        << "出货单"
                                                        << ""
                                                        << "标准|三联241|王's店";
        QTest::newRow("common variants of empty kind") << "common"
                                                       << ""
                                                       << ""
                                                       << "";
        QTest::newRow("enabled variants in order") << "variants"
                                                   << "出货单"
                                                   << ""
                                                   << "三联241|标准|王's店";
        QTest::newRow("enabled full names of a kind") << "fullNames"
                                                      << "出货单"
                                                      << ""
                                                      << "出货单（三联241）|出货单（标准）|出货单（王's店）";
        QTest::newRow("enabled full names of every kind")
            << "fullNames"
            << ""
            << ""
            << "出货单（三联241）|出货单（标准）|出货单（王's店）|快递单(申通)|快递单（圆通）";
        QTest::newRow("existing variant") << "exists"
                                          << "出货单"
                                          << "王's店"
                                          << "true";
        QTest::newRow("disabled variant exists too") << "exists"
                                                     << "出货单"
                                                     << "停用"
                                                     << "true";
        QTest::newRow("missing variant") << "exists"
                                         << "出货单"
                                         << "标准 "
                                         << "false";
        QTest::newRow("offsets of the first non-common template") << "offsets"
                                                                  << "出货单"
                                                                  << ""
                                                                  << "7,-3";
        QTest::newRow("offsets of no kind") << "offsets"
                                            << "电汇单"
                                            << ""
                                            << "none";
        QTest::newRow("next id") << "nextId"
                                 << ""
                                 << ""
                                 << "15";
    }
    void lookups() {
        QFETCH(QString, call);
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(QString, expected);
        const QString pipe = QStringLiteral("|");
        QString actual;
        if (call == QLatin1String("kindById"))
            actual = store().loadCheckTypeFirstNameByID(a.toInt());
        else if (call == QLatin1String("idByKindVariant"))
            actual = QString::number(store().loadCheckTypeIDByFirstAndLastName(a, b));
        else if (call == QLatin1String("idByFullName"))
            actual = store().loadCheckTypeIDByTypeFullName(a);
        else if (call == QLatin1String("fullNameById"))
            actual = store().loadCheckTypeFullNameByID(a.toInt());
        else if (call == QLatin1String("variantById"))
            actual = store().loadCheckTypeLastNameByID(a.toInt());
        else if (call == QLatin1String("defaultKind"))
            actual = store().loadDefaultTypeFirstName();
        else if (call == QLatin1String("kinds"))
            actual = store().loadCheckTypeFirstNameList().join(pipe);
        else if (call == QLatin1String("common"))
            actual = store().loadCommonTypeLastNameList(a).join(pipe);
        else if (call == QLatin1String("variants"))
            actual = store().loadCheckTypeLastNameList(a).join(pipe);
        else if (call == QLatin1String("fullNames"))
            actual = store().loadCheckTypeFullNameList(a).join(pipe);
        else if (call == QLatin1String("exists"))
            actual = store().CheckTypeExists(a, b) ? QStringLiteral("true") : QStringLiteral("false");
        else if (call == QLatin1String("offsets")) {
            int x = 99, y = 99;
            actual = store().loadUserXYMoveByFirstName(a, x, y) ? QStringLiteral("%1,%2").arg(x).arg(y)
                                                                : QStringLiteral("none");
        } else if (call == QLatin1String("nextId"))
            actual = store().loadMaxNewCheckTypeId();
        QCOMPARE(actual, expected);
        QVERIFY(m_home->dialogs().shown.isEmpty());
    }

    void commonVariantsPutTheDefaultFirst() {
        db().exec(QStringLiteral("update CKTypeTable set IsDefault='0' where CheckTypeID=1"));
        db().exec(QStringLiteral("update CKTypeTable set IsDefault='默认' where CheckTypeID=12"));
        QCOMPARE(store().loadCommonTypeLastNameList(QStringLiteral("出货单")).first(),
                 QStringLiteral("王's店"));
    }

    void emptyKindOfVariantListIsReported() {
        QVERIFY(store().loadCheckTypeLastNameList(QString()).isEmpty());
        QCOMPARE(m_home->dialogs().texts(),
                 QStringList{QStringLiteral("没有指定单据类型，无法调入确定的模板种类！")});
    }

    void defaultTemplate_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("prepare");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("marked") << "出货单"
                                << "" << 1 << QStringList();
        QTest::newRow("marked but disabled")
            << "出货单"
            << "update CKTypeTable set Visiable='停用隐藏' where CheckTypeID=1" << 1 << QStringList();
        QTest::newRow("no mark: lowest enabled")
            << "出货单"
            << "update CKTypeTable set IsDefault='0', Visiable=case when CheckTypeID=1 then '停用隐藏' else "
               "Visiable end"
            << 2 << QStringList{"没有设定默认的出货单,请到【系统管理】-【模板管理】，设定!"};
        QTest::newRow("nothing enabled")
            << "快递单"
            << "update CKTypeTable set Visiable='停用隐藏'" << -1
            << QStringList{"没有设定默认的快递单,请到【系统管理】-【模板管理】，设定!",
                           "没有找到任何启用的【快递单】模板！"};
    }
    void defaultTemplate() {
        QFETCH(QString, kind);
        QFETCH(QString, prepare);
        QFETCH(int, expected);
        QFETCH(QStringList, messages);
        if (!prepare.isEmpty())
            db().exec(prepare);
        db().exec(
            QStringLiteral("update CKTypeTable set TypeFirstName='快递单' where CheckTypeID in (10,11)"));
        QCOMPARE(store().loadDefaultCheckTypeId(kind), expected);
        QCOMPARE(m_home->dialogs().texts(), messages);
    }

    void typeCodes_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("code");
        QTest::newRow("送货单") << "送货单"
                                << "shd";
        QTest::newRow("出货单") << "出货单"
                                << "shd";
        QTest::newRow("出货单 with a blank") << "出货单 "
                                             << "";
        QTest::newRow("国际货运发票") << "国际货运发票"
                                      << "ivIntel";
        QTest::newRow("发票及收据") << "发票及收据"
                                    << "fpiv";
        QTest::newRow("unknown") << "其他单"
                                 << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void typeCodes() {
        QFETCH(QString, kind);
        QFETCH(QString, code);
        QCOMPARE(TemplateStore::getTypeCodeByTypeName(kind), code);
    }

    void nextIdOfEmptyTable() {
        db().exec(QStringLiteral("delete from CKTypeTable"));
        QCOMPARE(store().loadMaxNewCheckTypeId(), QStringLiteral("1"));
    }

    void raisingLookupsCarryTheirPrefix_data() {
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("exists") << "exists"
                                << "CheckTypeExists:";
        QTest::newRow("offsets") << "offsets"
                                 << "用户常用单据偏移参数获取失败!:";
        QTest::newRow("next id") << "nextId"
                                 << "NewMaxCheckTypeId:";
    }
    void raisingLookupsCarryTheirPrefix() {
        QFETCH(QString, call);
        QFETCH(QString, prefix);
        db().exec(QStringLiteral("alter table CKTypeTable rename to CKTypeTableGone"));
        QString message;
        try {
            int x = 0, y = 0;
            if (call == QLatin1String("exists"))
                store().CheckTypeExists(QStringLiteral("出货单"), QStringLiteral("标准"));
            else if (call == QLatin1String("offsets"))
                store().loadUserXYMoveByFirstName(QStringLiteral("出货单"), x, y);
            else
                store().loadMaxNewCheckTypeId();
        } catch (const DbError& e) {
            message = e.message();
        }
        QVERIFY2(message.startsWith(prefix), qPrintable(message));
        QVERIFY(message.size() > prefix.size());
        // The other look-ups swallow the same failure.
        QCOMPARE(store().loadCheckTypeFullNameByID(1), QString());
        QCOMPARE(store().loadCheckTypeIDByTypeFullName(QStringLiteral("出货单（标准）")),
                 QStringLiteral("0"));
        QCOMPARE(store().loadDefaultCheckTypeId(QStringLiteral("出货单")), -1);
    }

    void missingKindColumnIsAddedAndFilled() {
        db().exec(QStringLiteral("drop index idx_cktypetable_kind"));
        db().exec(QStringLiteral("alter table CKTypeTable drop column TypeFirstName"));
        QCOMPARE(store().loadCheckTypeFirstNameByID(1), QString());
        QVERIFY(m_home->dialogs().shown.isEmpty());
        QCOMPARE(store().loadCheckTypeFirstNameByID(1), QStringLiteral("出货单"));
        QCOMPARE(store().loadCheckTypeFirstNameByID(11), QStringLiteral("快递单"));
        QCOMPARE(db().scalar(QStringLiteral("select TypeFirstName from CKTypeTable where CheckTypeID=12"))
                     .toString(),
                 QStringLiteral("出货单"));
        QCOMPARE(db().scalar(QStringLiteral("select count(*) from CKTypeTable where TypeFirstName is null"))
                     .toInt(),
                 1);
    }

    void missingCommonColumnIsAdded() {
        db().exec(QStringLiteral("alter table CKTypeTable drop column IsCommon"));
        QVERIFY(store().loadCommonTypeLastNameList(QStringLiteral("出货单")).isEmpty());
        QCOMPARE(m_home->dialogs().texts(), QStringList{QStringLiteral("请尝试重新启动软件！")});
        QCOMPARE(store().loadCommonTypeLastNameList(QStringLiteral("出货单")),
                 QStringList{QStringLiteral("标准")});
    }

    void kindFromTypeName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::newRow("full-width") << "快递单（圆通）"
                                    << "快递单";
        QTest::newRow("half-width") << "快递单(圆通)"
                                    << "快递单";
        QTest::newRow("full-width wins over an earlier half-width") << "a(b)（c）"
                                                                    << "a(b)";
        QTest::newRow("none") << "快递单"
                              << "快递单";
        QTest::newRow("empty") << ""
                               << "";
    }
    void kindFromTypeName() {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QCOMPARE(TemplateStore::kindFromTypeName(name), kind);
    }
};

OVERPRINT_TEST(TestTemplateStore)
#include "TestTemplateStore.moc"
