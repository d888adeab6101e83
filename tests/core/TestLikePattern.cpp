#include "TestRegistry.h"

#include "core/Database.h"
#include "core/LikePattern.h"

#include <QTemporaryDir>
#include <QTest>

// Typed text inside a LIKE pattern: escaped so that it matches only itself.
class TestLikePattern : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<core::Database> m_db;

    bool contains(const QString& subject, const QString& typed) {
        return m_db->scalar(QStringLiteral("select :s like :p escape '\\'"),
                            {{QStringLiteral("s"), subject},
                             {QStringLiteral("p"),
                              QLatin1Char('%') + core::likeLiteral(typed) + QLatin1Char('%')}})
                   .toInt() == 1;
    }

private slots:
    void initTestCase() {
        m_db = std::make_unique<core::Database>(QStringLiteral("test-like"));
        m_db->open(m_dir.filePath(QStringLiteral("like.db")));
    }
    void cleanupTestCase() { m_db.reset(); }

    void literal_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("escaped");
        QTest::addColumn<QString>("holder");    // a text containing the typed one
        QTest::addColumn<QString>("lookalike"); // what the unescaped text would match as well
        QTest::newRow("percent") << QStringLiteral("50%") << QStringLiteral("50\\%")
                                 << QStringLiteral("折扣50%券") << QStringLiteral("500克");
        QTest::newRow("underscore") << QStringLiteral("A_1") << QStringLiteral("A\\_1")
                                    << QStringLiteral("型号A_1") << QStringLiteral("AB1");
        QTest::newRow("backslash") << QStringLiteral("C:\\d") << QStringLiteral("C:\\\\d")
                                   << QStringLiteral("C:\\d\\x") << QStringLiteral("C:d");
        QTest::newRow("backslash before percent") << QStringLiteral("\\%") << QStringLiteral("\\\\\\%")
                                                  << QStringLiteral("a\\%b") << QStringLiteral("%");
        QTest::newRow("wildcards only") << QStringLiteral("%_") << QStringLiteral("\\%\\_")
                                        << QStringLiteral("x%_y") << QStringLiteral("xy");
        QTest::newRow("plain text unchanged") << QStringLiteral("王's店") << QStringLiteral("王's店")
                                              << QStringLiteral("老王's店铺") << QStringLiteral("王店");
    }
    void literal() {
        QFETCH(QString, typed);
        QFETCH(QString, escaped);
        QFETCH(QString, holder);
        QFETCH(QString, lookalike);
        QCOMPARE(core::likeLiteral(typed), escaped);
        QVERIFY(contains(typed, typed));
        QVERIFY(contains(holder, typed));
        QVERIFY(!contains(lookalike, typed));
    }
};

OVERPRINT_TEST(TestLikePattern)
#include "TestLikePattern.moc"
