#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "entry/DeliveryNoteStore.h"

#include <QTest>

using entry::DeliveryNote;
using entry::DeliveryNoteStore;
using entry::NoteLine;

namespace {
NoteLine goods(int n, const QString& name, const QString& quantity, const QString& amount) {
    NoteLine line;
    line.line = n;
    line.name = name;
    line.quantity = quantity;
    line.price = QStringLiteral("1");
    line.amount = amount;
    return line;
}

DeliveryNote sampleNote(const QString& number) {
    DeliveryNote note;
    note.number = number;
    note.variant = QStringLiteral("默认");
    note.customerName = QStringLiteral("王's店");
    note.total = QStringLiteral("30.00");
    note.issueDate = QDateTime(QDate(2024, 3, 5), QTime(14, 7, 0));
    note.lines = {goods(1, QStringLiteral("纸"), QStringLiteral("10"), QStringLiteral("10")),
                  goods(2, QStringLiteral("笔"), QStringLiteral("20"), QStringLiteral("20"))};
    return note;
}

// Both tables as text, to prove a failed save changed nothing.
QString tables(core::Database& db) {
    QString out;
    for (const QString& table : {DeliveryNoteStore::kHeaderTable, DeliveryNoteStore::kDetailTable}) {
        core::Recordset rs =
            db.query(QStringLiteral("select * from ") + table + QStringLiteral(" order by 1"));
        for (rs.first(); !rs.eof(); rs.next()) {
            for (int c = 0; c < rs.fieldCount(); ++c)
                out += rs.text(c) + QLatin1Char('|');
            out += QLatin1Char('\n');
        }
    }
    return out;
}
} // namespace

class TestDeliveryNoteStore : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data() {
        QTest::addColumn<QString>("value");
        QTest::newRow("quotes") << "O'Brien \"big\" ''";
        QTest::newRow("percent and underscore") << "100% _x_ %";
        QTest::newRow("cjk") << QStringLiteral("王's店（深圳）有限公司");
        QTest::newRow("sql-looking") << "'); delete from DataCheckFHDSHD; --";
    }
    void roundTrip() {
        QFETCH(QString, value);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        DeliveryNoteStore store(home.db());
        DeliveryNote note = sampleNote(value);
        note.customerName = note.contact = note.remark = note.issuer = value;
        note.custom[2] = value;
        note.orderDate = QDateTime(QDate(2023, 12, 31), QTime(23, 59, 58));
        note.lines[1].name = note.lines[1].otherAttributes = value;
        QCOMPARE(store.save(note), DeliveryNoteStore::Saved::Appended);
        QVERIFY(store.exists(value));
        QVERIFY(!store.exists(value + QLatin1Char('x')));

        const std::optional<DeliveryNote> back = store.load(value);
        QVERIFY(back);
        QCOMPARE(back->customerName, value);
        QCOMPARE(back->contact, value);
        QCOMPARE(back->remark, value);
        QCOMPARE(back->issuer, value);
        QCOMPARE(back->custom[2].value_or(QString()), value);
        QCOMPARE(back->state, QStringLiteral("正常"));
        QCOMPARE(back->issueDate, note.issueDate);
        QCOMPARE(back->orderDate, note.orderDate);
        QCOMPARE(back->total, QStringLiteral("30.00"));
        QCOMPARE(back->lines.size(), 2);
        QCOMPARE(back->lines[1].name, value);
        QCOMPARE(back->lines[1].otherAttributes, value);
        QCOMPARE(back->lines[1].amount.value_or(QString()), QStringLiteral("20"));
        QCOMPARE(home.db().scalar(QStringLiteral("select count(*) from DataCheckFHDSHD")).toInt(), 1);
    }

    void saveAgainReplacesLines() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        DeliveryNoteStore store(home.db());
        DeliveryNote note = sampleNote(QStringLiteral("S1"));
        note.custom[0] = QStringLiteral("kept");
        note.lines << goods(5, QStringLiteral("尺"), QStringLiteral("1"), QStringLiteral("1"));
        store.save(note);

        note.customerName = QStringLiteral("新客户");
        note.custom[0].reset(); // the box is hidden now: the stored value stays
        note.lines = {goods(3, QStringLiteral("墨"), QStringLiteral("2"), QStringLiteral("7"))};
        QCOMPARE(store.save(note), DeliveryNoteStore::Saved::Edited);

        const DeliveryNote back = *store.load(QStringLiteral("S1"));
        QCOMPARE(back.customerName, QStringLiteral("新客户"));
        QCOMPARE(back.custom[0].value_or(QString()), QStringLiteral("kept"));
        QCOMPARE(back.lines.size(), 1);
        QCOMPARE(back.lines[0].line, 3);
        QCOMPARE(back.lines[0].amount.value_or(QString()), QStringLiteral("7"));
        QCOMPARE(home.db().scalar(QStringLiteral("select count(*) from DataCheckFHDSHD")).toInt(), 1);
    }

    void typedTotalOnly() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        DeliveryNoteStore store(home.db());
        DeliveryNote note = sampleNote(QStringLiteral("T1"));
        note.lines.clear();
        store.save(note);
        QCOMPARE(store.load(QStringLiteral("T1"))->lines.size(), 0);
        QVERIFY(!store.load(QStringLiteral("none")));
    }

    void failureLeavesTablesAsBefore_data() {
        QTest::addColumn<QString>("sabotage");
        QTest::newRow("detail insert raises")
            << "create trigger t before insert on DataCheckFHDSHDDetail "
               "when new.商品名='坏' begin select raise(abort, 'detail refused'); end";
        QTest::newRow("header update raises") << "create trigger t before update on DataCheckFHDSHD begin "
                                                 "select raise(abort, 'header refused'); end";
        QTest::newRow("detail column dropped") << "alter table DataCheckFHDSHDDetail drop column 其他属性";
    }
    void failureLeavesTablesAsBefore() {
        QFETCH(QString, sabotage);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        DeliveryNoteStore store(home.db());
        DeliveryNote note = sampleNote(QStringLiteral("F1"));
        store.save(note);
        home.db().exec(sabotage);
        const QString before = tables(home.db());

        note.customerName = QStringLiteral("changed");
        note.lines = {goods(1, QStringLiteral("好"), QStringLiteral("1"), QStringLiteral("1")),
                      goods(2, QStringLiteral("坏"), QStringLiteral("1"), QStringLiteral("1"))};
        QVERIFY_THROWS_EXCEPTION(core::DbError, store.save(note));
        QVERIFY(!home.db().inTransaction());
        QCOMPARE(tables(home.db()), before);
        // The connection is usable again afterwards.
        QVERIFY(store.exists(QStringLiteral("F1")));
    }
};

OVERPRINT_TEST(TestDeliveryNoteStore)
#include "TestDeliveryNoteStore.moc"
