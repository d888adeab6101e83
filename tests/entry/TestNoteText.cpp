#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "entry/NoteText.h"

#include <QTest>

using entry::NoteText;

class TestNoteText : public QObject {
    Q_OBJECT
private slots:
    void lineAmount_data() {
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<QString>("price");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("amount");
        QTest::newRow("no quantity counts one") << ""
                                                << "12.5" << true << "12.5";
        QTest::newRow("quantity zero") << "0"
                                       << "12.5" << true << "0";
        QTest::newRow("no price counts zero") << "3"
                                              << "" << true << "0";
        QTest::newRow("blanks trimmed") << " 2 "
                                        << " 4.25 " << true << "8.5";
        QTest::newRow("binary noise dropped") << "3"
                                              << "0.1" << true << "0.3";
        QTest::newRow("large without exponent") << "1000000"
                                                << "13800.138" << true << "13800138000";
        QTest::newRow("return line") << "-2"
                                     << "3" << true << "-6";
        QTest::newRow("lone minus") << "-"
                                    << "3" << false << "";
        QTest::newRow("thousands comma") << "1,000"
                                         << "2" << true << "2000";
        QTest::newRow("full-width digits")
            << QStringLiteral("１２００") << QStringLiteral("０．５") << true << "600";
        QTest::newRow("grouped by blanks") << "1 200"
                                           << "1,000.5" << true << "1200600";
        QTest::newRow("comma as decimal point") << "1,5"
                                                << "2" << false << "";
        QTest::newRow("unfinished group") << "3"
                                          << "1,00" << false << "";
        QTest::newRow("exponent") << "1e3"
                                  << "2" << false << "";
        QTest::newRow("letters in price") << "1"
                                          << "abc" << false << "";
        QTest::newRow("two points") << "1.2.3"
                                    << "1" << false << "";
    }
    void lineAmount() {
        QFETCH(QString, quantity);
        QFETCH(QString, price);
        QFETCH(bool, valid);
        QFETCH(QString, amount);
        const NoteText::LineAmount result = NoteText::lineAmount(quantity, price);
        QCOMPARE(result.valid, valid);
        QCOMPARE(result.amount, amount);
    }

    void sumLines_data() {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<bool>>("visible");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("total");
        QTest::newRow("visible only")
            << QStringList{"10", "5.5", "100"} << QList<bool>{true, true, false} << true << "15.5";
        QTest::newRow("empty skipped")
            << QStringList{"", "0.1", "0.2"} << QList<bool>{true, true, true} << true << "0.3";
        QTest::newRow("nothing") << QStringList{"", ""} << QList<bool>{true, true} << true << "0";
        QTest::newRow("hidden junk ignored")
            << QStringList{"2", "x"} << QList<bool>{true, false} << true << "2";
        QTest::newRow("visible junk fails")
            << QStringList{"2", "x"} << QList<bool>{true, true} << false << "";
    }
    void sumLines() {
        QFETCH(QStringList, texts);
        QFETCH(QList<bool>, visible);
        QFETCH(bool, ok);
        QFETCH(QString, total);
        QVector<NoteText::LineValue> lines;
        for (int i = 0; i < texts.size(); ++i)
            lines.append({texts[i], visible[i]});
        QString sum, error;
        QCOMPARE(NoteText::sumLines(lines, sum, error), ok);
        if (ok)
            QCOMPARE(sum, total);
        else
            QVERIFY(!error.isEmpty());
    }

    void phoneBoxes_data() {
        QTest::addColumn<bool>("phoneShown");
        QTest::addColumn<bool>("handsetShown");
        QTest::addColumn<QString>("phone");   // "-" means left alone
        QTest::addColumn<QString>("handset"); // "-" means left alone
        QTest::newRow("both") << true << true << "0755-1"
                              << "139";
        QTest::newRow("lone mobile box") << false << true << "-"
                                         << "139\\0755-1";
        QTest::newRow("lone phone box") << true << false << "139\\0755-1"
                                        << "-";
        QTest::newRow("neither") << false << false << "-"
                                 << "-";
    }
    void phoneBoxes() {
        QFETCH(bool, phoneShown);
        QFETCH(bool, handsetShown);
        QFETCH(QString, phone);
        QFETCH(QString, handset);
        const NoteText::PhoneBoxes boxes =
            NoteText::phoneBoxes(QStringLiteral("0755-1"), QStringLiteral("139"),
                                 QStringLiteral("139\\0755-1"), phoneShown, handsetShown);
        QCOMPARE(boxes.setPhone ? boxes.phone : QStringLiteral("-"), phone);
        QCOMPARE(boxes.setHandset ? boxes.handset : QStringLiteral("-"), handset);
    }

    void productFilter_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("empty lists all by name")
            << "" << QStringList{"A胶带", "B码12", "C货", "D码", "E规", "F"};
        QTest::newRow("12 prefix and anywhere") << "12" << QStringList{"B码12", "C货", "D码", "E规"};
        QTest::newRow("percent is literal") << "5%" << QStringList{"F"};
        QTest::newRow("underscore is literal") << "_" << QStringList{};
        QTest::newRow("quote") << "O'B" << QStringList{"A胶带"};
    }
    void productFilter() {
        QFETCH(QString, typed);
        QFETCH(QStringList, names);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        fillProducts(home.db());
        QCOMPARE(namesOf(home.db(), NoteText::productFilter(typed)), names);
    }

    void productClass() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        fillProducts(home.db());
        QCOMPARE(namesOf(home.db(), NoteText::productClass(QStringLiteral("王's类"))), QStringList{"F"});
        QCOMPARE(namesOf(home.db(), NoteText::productClass(QString())).size(), 6);
    }

private:
    static void fillProducts(core::Database& db) {
        db.exec(QStringLiteral("delete from Products"));
        // name, article number, mnemonic, model, class
        const QStringList rows[] = {
            {"A胶带", "O'B-1", "JD", "宽", "其他"}, {"B码12", "X1", "Y1", "无", "其他"},
            {"C货", "12-9", "CH", "无", "其他"},    {"D码", "Z", "12ab", "无", "其他"},
            {"E规", "Z2", "EG", "M12", "其他"},     {"F", "312", "F312", "含5%", "王's类"}};
        for (const QStringList& r : rows)
            db.exec(QStringLiteral(
                        "insert into Products (商品名, 货号, 简码, 规格, 分类) values (:n, :a, :m, :s, :c)"),
                    {{"n", r[0]}, {"a", r[1]}, {"m", r[2]}, {"s", r[3]}, {"c", r[4]}});
    }
    static QStringList namesOf(core::Database& db, const NoteText::Statement& statement) {
        core::Recordset rs = db.query(statement.sql, statement.params);
        QStringList found;
        for (rs.first(); !rs.eof(); rs.next())
            found << rs.text(QStringLiteral("商品名"));
        return found;
    }
};

OVERPRINT_TEST(TestNoteText)
#include "TestNoteText.moc"
