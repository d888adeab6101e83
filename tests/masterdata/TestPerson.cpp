#include "masterdata/TPerson.h"

#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include <QSqlQuery>
#include <QTest>

using masterdata::TPerson;

namespace {

// A fresh address book holding only the rows a test writes.
struct Book {
    TestHome home;
    Book() { home.db().exec(QStringLiteral("delete from CKPersonalInfoTable")); }
    int add(const QString& name, const QString& mnemonic = {}, const QString& address = {},
            const QString& account = {}, const QString& contact = {}, const QString& group = {}) {
        home.db().exec(
            QStringLiteral("insert into CKPersonalInfoTable (全称,助记码,地址,开户行账号,联系人,分组) "
                           "values (:n,:m,:a,:acc,:c,:g)"),
            {{QStringLiteral("n"), name},
             {QStringLiteral("m"), mnemonic},
             {QStringLiteral("a"), address},
             {QStringLiteral("acc"), account},
             {QStringLiteral("c"), contact},
             {QStringLiteral("g"), group}});
        return static_cast<int>(home.db().lastInsertId());
    }
    core::Database& db() { return home.db(); }
};

QString nameOf(const std::unique_ptr<TPerson>& p) {
    return p ? p->fullName() : QStringLiteral("<null>");
}

} // namespace

class TestPerson : public QObject {
    Q_OBJECT
private slots:
    void findByMnemonic_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("exact") << QStringLiteral("abc") << QStringLiteral("甲");
        QTest::newRow("exact ignores letter case") << QStringLiteral("ABC") << QStringLiteral("甲");
        QTest::newRow("prefix alone is no match") << QStringLiteral("ab") << QStringLiteral("<null>");
        QTest::newRow("partial with %") << QStringLiteral("ab%") << QStringLiteral("甲");
        QTest::newRow("partial leading %") << QStringLiteral("%bc") << QStringLiteral("甲");
        QTest::newRow("partial with *") << QStringLiteral("abc*") << QStringLiteral("甲");
        QTest::newRow("partial mixed") << QStringLiteral("*yz%") << QStringLiteral("乙");
        QTest::newRow("% alone") << QStringLiteral("%") << QStringLiteral("<null>");
        QTest::newRow("* alone") << QStringLiteral("*") << QStringLiteral("<null>");
        QTest::newRow("%*") << QStringLiteral("%*") << QStringLiteral("<null>");
        QTest::newRow("empty") << QString() << QStringLiteral("<null>");
        QTest::newRow("apostrophe exact") << QStringLiteral("o'b") << QStringLiteral("O'Brien");
        QTest::newRow("apostrophe partial") << QStringLiteral("'b*") << QStringLiteral("O'Brien");
        // Only % and * are wildcards of the key.
        QTest::newRow("underscore is literal") << QStringLiteral("a_c*") << QStringLiteral("<null>");
    }
    void findByMnemonic() {
        QFETCH(QString, key);
        QFETCH(QString, expected);
        Book book;
        book.add(QStringLiteral("甲"), QStringLiteral("abc"));
        book.add(QStringLiteral("乙"), QStringLiteral("xyz"));
        book.add(QStringLiteral("O'Brien"), QStringLiteral("o'b"));
        // A row with an empty code would match a like '%%' that must never run.
        book.add(QStringLiteral("空"), QString());
        QCOMPARE(nameOf(TPerson::findByMnemonic(book.db(), key)), expected);
    }

    void findByFullNameTakesLastAddress_data() {
        QTest::addColumn<QStringList>("addresses");
        QTest::addColumn<QString>("expected");
        QTest::newRow("B路 before A路")
            << QStringList{QStringLiteral("A路"), QStringLiteral("B路")} << QStringLiteral("B路");
        QTest::newRow("inserted in the other order")
            << QStringList{QStringLiteral("B路"), QStringLiteral("A路")} << QStringLiteral("B路");
        QTest::newRow("empty address last")
            << QStringList{QString(), QStringLiteral("A路")} << QStringLiteral("A路");
    }
    void findByFullNameTakesLastAddress() {
        QFETCH(QStringList, addresses);
        QFETCH(QString, expected);
        Book book;
        for (const QString& a : addresses)
            book.add(QStringLiteral("王's店"), {}, a);
        book.add(QStringLiteral("别家"), {}, QStringLiteral("Z路"));
        const auto found = TPerson::findByFullName(book.db(), QStringLiteral("王's店"));
        QVERIFY(found);
        QCOMPARE(found->address(), expected);
        QVERIFY(!TPerson::findByFullName(book.db(), QString()));
    }

    void findMatch_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("contact");
        QTest::addColumn<QString>("expectedAddress");
        QTest::newRow("name and account")
            << QStringLiteral("甲公司") << QStringLiteral("622") << QString() << QStringLiteral("账号行");
        QTest::newRow("unknown account never falls back")
            << QStringLiteral("甲公司") << QStringLiteral("999") << QString() << QStringLiteral("<null>");
        QTest::newRow("account wins over contact") << QStringLiteral("甲公司") << QStringLiteral("999")
                                                   << QStringLiteral("张三") << QStringLiteral("<null>");
        QTest::newRow("name and contact")
            << QStringLiteral("甲公司") << QString() << QStringLiteral("张三") << QStringLiteral("联系人行");
        QTest::newRow("unknown contact never falls back")
            << QStringLiteral("甲公司") << QString() << QStringLiteral("李四") << QStringLiteral("<null>");
        QTest::newRow("name alone") << QStringLiteral("甲公司") << QString() << QString()
                                    << QStringLiteral("账号行");
        QTest::newRow("contact alone")
            << QString() << QString() << QStringLiteral("张三") << QStringLiteral("联系人行");
        QTest::newRow("account without name")
            << QString() << QStringLiteral("622") << QString() << QStringLiteral("<null>");
        QTest::newRow("nothing") << QString() << QString() << QString() << QStringLiteral("<null>");
    }
    void findMatch() {
        QFETCH(QString, name);
        QFETCH(QString, account);
        QFETCH(QString, contact);
        QFETCH(QString, expectedAddress);
        Book book;
        book.add(QStringLiteral("甲公司"), {}, QStringLiteral("账号行"), QStringLiteral("622"));
        book.add(QStringLiteral("甲公司"), {}, QStringLiteral("联系人行"), {}, QStringLiteral("张三"));
        TPerson typed;
        typed.setFullName(name);
        typed.setAccount(account);
        typed.setContact(contact);
        const auto found = TPerson::findMatch(book.db(), typed);
        QCOMPARE(found ? found->address() : QStringLiteral("<null>"), expectedAddress);
    }

    void saveInsertsOrUpdates_data() {
        QTest::addColumn<int>("startId"); // -1: the id of an existing row
        QTest::addColumn<bool>("inserts");
        QTest::newRow("new record") << 0 << true;
        QTest::newRow("vanished id") << 9999 << true;
        QTest::newRow("existing row") << -1 << false;
    }
    void saveInsertsOrUpdates() {
        QFETCH(int, startId);
        QFETCH(bool, inserts);
        Book book;
        const int existing = book.add(QStringLiteral("旧名"));
        TPerson p;
        p.setId(startId < 0 ? existing : startId);
        p.setFullName(QStringLiteral("O'Brien's 商店"));
        p.setMobile(QStringLiteral("139"));
        p.setGroup(QStringLiteral("客户\\华南"));
        p.setUnitType(QStringLiteral("往来单位"));
        p.setCustom3(QStringLiteral("c3"));
        QCOMPARE(p.save(book.db()), 1);
        QCOMPARE(book.db().scalar(QStringLiteral("select count(*) from CKPersonalInfoTable")).toInt(),
                 inserts ? 2 : 1);
        if (inserts) {
            QVERIFY(p.id() > 0);
            QVERIFY(p.id() != existing);
            QVERIFY(p.id() != 9999);
        } else {
            QCOMPARE(p.id(), existing);
        }
        TPerson back;
        back.setId(p.id());
        QCOMPARE(back.loadByID(book.db()), 1);
        QCOMPARE(back.fullName(), p.fullName());
        QCOMPARE(back.mobile(), QStringLiteral("139"));
        QCOMPARE(back.group(), p.group());
        QCOMPARE(back.custom3(), QStringLiteral("c3"));
        const auto found = TPerson::findByFullName(book.db(), QStringLiteral("O'Brien's 商店"));
        QVERIFY(found);
        QCOMPARE(found->id(), p.id());
    }

    void saveRaisesEngineText() {
        Book book;
        book.db().exec(QStringLiteral("drop table CKPersonalInfoTable"));
        TPerson p;
        p.setFullName(QStringLiteral("甲"));
        QVERIFY_THROWS_EXCEPTION(core::DbError, p.save(book.db()));
    }

    void loadByID_data() {
        QTest::addColumn<int>("id"); // -1: the stored row
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("nameAfter");
        QTest::newRow("found") << -1 << 1 << QStringLiteral("甲");
        QTest::newRow("missing keeps fields") << 4242 << 0 << QStringLiteral("原样");
        QTest::newRow("zero") << 0 << -1 << QStringLiteral("原样");
    }
    void loadByID() {
        QFETCH(int, id);
        QFETCH(int, result);
        QFETCH(QString, nameAfter);
        Book book;
        const int stored = book.add(QStringLiteral("甲"));
        TPerson p;
        p.setFullName(QStringLiteral("原样"));
        p.setId(id < 0 ? stored : id);
        QCOMPARE(p.loadByID(book.db()), result);
        QCOMPARE(p.fullName(), nameAfter);
    }

    void loadersSwallowErrors() {
        Book book;
        book.db().exec(QStringLiteral("drop table CKPersonalInfoTable"));
        QVERIFY(!TPerson::findByFullName(book.db(), QStringLiteral("甲")));
        QVERIFY(!TPerson::findDefaultIssuer(book.db()));
        TPerson p;
        p.setId(1);
        QCOMPARE(p.loadByID(book.db()), -1);
    }

    void defaultIssuerFromRecordAndRow() {
        Book book;
        book.add(QStringLiteral("别家"));
        book.add(QStringLiteral("我方"), QStringLiteral("wf"), QStringLiteral("总部"), {}, {},
                 QStringLiteral("默认出票人"));
        const auto issuer = TPerson::findDefaultIssuer(book.db());
        QVERIFY(issuer);
        QCOMPARE(issuer->fullName(), QStringLiteral("我方"));
        // The main window keeps the issuer as a QSqlRecord; both readers must agree.
        QSqlQuery q(book.db().connection());
        QVERIFY(q.exec(QStringLiteral("select * from CKPersonalInfoTable where 分组='默认出票人'")));
        QVERIFY(q.next());
        TPerson fromRecord;
        fromRecord.readFromRow(q.record());
        QCOMPARE(fromRecord.id(), issuer->id());
        QCOMPARE(fromRecord.mnemonic(), QStringLiteral("wf"));
        QCOMPARE(fromRecord.address(), QStringLiteral("总部"));
    }

    void phoneText_data() {
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QString>("mobile");
        QTest::addColumn<bool>("mobileFirst");
        QTest::addColumn<QString>("expected");
        QTest::newRow("mobile first")
            << QStringLiteral("0755-1") << QStringLiteral("139") << true << QStringLiteral("139\\0755-1");
        QTest::newRow("phone first") << QStringLiteral("0755-1") << QStringLiteral("139") << false
                                     << QStringLiteral("0755-1\\139");
        QTest::newRow("only mobile") << QString() << QStringLiteral("139") << false << QStringLiteral("139");
        QTest::newRow("only phone") << QStringLiteral("0755-1") << QString() << true
                                    << QStringLiteral("0755-1");
        QTest::newRow("none") << QString() << QString() << true << QString();
    }
    void phoneText() {
        QFETCH(QString, phone);
        QFETCH(QString, mobile);
        QFETCH(bool, mobileFirst);
        QFETCH(QString, expected);
        TPerson p;
        p.setPhone(phone);
        p.setMobile(mobile);
        QCOMPARE(p.phoneText(mobileFirst), expected);
    }
};

OVERPRINT_TEST(TestPerson)
#include "TestPerson.moc"
