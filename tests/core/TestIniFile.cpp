#include "support/TestRegistry.h"

#include "core/IniFile.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using core::IniFile;

class TestIniFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString writeBytes(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return path;
    }
    static QByteArray readBytes(const QString& path) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }

private slots:
    void readsWithProfileSemantics_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("exact") << "Config"
                               << "Name"
                               << "value one";
        QTest::newRow("letter case of both names ignored") << "CONFIG"
                                                           << "nAME"
                                                           << "value one";
        QTest::newRow("blanks around the key") << "Config"
                                               << "  Padded "
                                               << "inner  blanks kept";
        QTest::newRow("missing key gives the default") << "Config"
                                                       << "absent"
                                                       << "DEFAULT";
        QTest::newRow("missing section gives the default") << "nowhere"
                                                           << "Name"
                                                           << "DEFAULT";
        QTest::newRow("empty value is not the default") << "Config"
                                                        << "Empty"
                                                        << "";
        QTest::newRow("first of duplicate keys wins") << "Config"
                                                      << "Twice"
                                                      << "first";
        QTest::newRow("repeated section continues the first") << "config"
                                                              << "Later"
                                                              << "found";
        QTest::newRow("value holding '='") << "Other"
                                           << "Url"
                                           << "a=b";
        QTest::newRow("comment is no key") << "Other"
                                           << ";Comment"
                                           << "DEFAULT";
        QTest::newRow("line without '=' is no key") << "Other"
                                                    << "loose line"
                                                    << "DEFAULT";
    }
    void readsWithProfileSemantics() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        const QString path = writeBytes(QStringLiteral("semantics.ini"), "; leading comment\n"
                                                                         "[Config]\n"
                                                                         "Name =   value one  \n"
                                                                         "Padded=  inner  blanks kept\t\n"
                                                                         "\n"
                                                                         "Empty=\n"
                                                                         "Twice=first\n"
                                                                         "twice=second\n"
                                                                         "[Other]\n"
                                                                         ";Comment=x\n"
                                                                         "loose line\n"
                                                                         "Url=a=b\n"
                                                                         "[ CONFIG ]\n"
                                                                         "Later=found\n");
        IniFile ini(path);
        QCOMPARE(ini.readString(section, key, QStringLiteral("DEFAULT")), expected);
    }

    void detectsEncoding_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QString text = QStringLiteral("[单据]\n名称=出货单（标准）\n");
        QStringEncoder gbk("GBK");
        QTest::newRow("utf-8") << text.toUtf8();
        QTest::newRow("utf-8 with BOM") << QByteArray("\xEF\xBB\xBF") + text.toUtf8();
        QTest::newRow("gbk") << QByteArray(gbk(text));
        QTest::newRow("gbk, CRLF") << QByteArray(
            gbk(QString(text).replace(QLatin1String("\n"), QLatin1String("\r\n"))));
    }
    void detectsEncoding() {
        QFETCH(QByteArray, bytes);
        IniFile ini(writeBytes(QStringLiteral("enc.ini"), bytes));
        QCOMPARE(ini.readString(QStringLiteral("单据"), QStringLiteral("名称")),
                 QStringLiteral("出货单（标准）"));
    }

    void rewritesAsUtf8KeepingOrderCommentsAndLineEnds() {
        QStringEncoder gbk("GBK");
        const QString path = writeBytes(QStringLiteral("rewrite.ini"),
                                        gbk(QStringLiteral("[B]\r\n;说明\r\nz=1\r\na=2\r\n[A]\r\nk=旧\r\n")));
        {
            IniFile ini(path);
            ini.writeString(QStringLiteral("a"), QStringLiteral("K"), QStringLiteral("新"));
            ini.writeString(QStringLiteral("b"), QStringLiteral("m"), QStringLiteral("3"));
            ini.writeString(QStringLiteral("C"), QStringLiteral("x"), QStringLiteral("y"));
            QVERIFY(ini.flush());
        }
        const QByteArray expected =
            QStringLiteral("[B]\r\n;说明\r\nz=1\r\na=2\r\nm=3\r\n\r\n[A]\r\nk=新\r\n\r\n[C]\r\nx=y\r\n")
                .toUtf8();
        QCOMPARE(readBytes(path), expected);
        IniFile again(path);
        QCOMPARE(again.sections(), (QStringList{"B", "A", "C"}));
        QCOMPARE(again.keys(QStringLiteral("b")), (QStringList{"z", "a", "m"}));
    }

    void roundTripsAwkwardValues_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("single quote") << "O'Brien's 王's店"
                                      << "O'Brien's 王's店";
        QTest::newRow("semicolon and brackets") << "a;b [c] d=e"
                                                << "a;b [c] d=e";
        QTest::newRow("surrounding blanks are trimmed") << "  x  "
                                                        << "x";
        QTest::newRow("line breaks cannot forge a key") << "one\r\n[Evil]\nkey=1"
                                                        << "one [Evil] key=1";
    }
    void roundTripsAwkwardValues() {
        QFETCH(QString, value);
        QFETCH(QString, readBack);
        const QString path = m_dir.filePath(QStringLiteral("values.ini"));
        QFile::remove(path);
        {
            IniFile ini(path);
            ini.writeString(QStringLiteral("S"), QStringLiteral("v"), value);
        } // the destructor flushes
        IniFile ini(path);
        QCOMPARE(ini.readString(QStringLiteral("s"), QStringLiteral("V")), readBack);
        QCOMPARE(ini.sections(), QStringList{QStringLiteral("S")});
    }

    void eraseAndDelete() {
        const QString path =
            writeBytes(QStringLiteral("erase.ini"), "[viewx]\na.x=1\n[viewy]\na.y=2\nb.y=3\n");
        IniFile ini(path);
        ini.eraseSection(QStringLiteral("VIEWX"));
        ini.deleteKey(QStringLiteral("viewy"), QStringLiteral("A.Y"));
        QVERIFY(ini.flush());
        IniFile again(path);
        QVERIFY(!again.sectionExists(QStringLiteral("viewx")));
        QVERIFY(!again.valueExists(QStringLiteral("viewy"), QStringLiteral("a.y")));
        QCOMPARE(again.readInteger(QStringLiteral("viewy"), QStringLiteral("b.y"), 0), 3);
    }

    void typedReads_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("integer");
        QTest::addColumn<double>("number");
        QTest::addColumn<bool>("flag");
        QTest::newRow("integer") << "42" << 42 << 42.0 << true;
        QTest::newRow("negative") << "-7" << -7 << -7.0 << true;
        QTest::newRow("zero") << "0" << 0 << 0.0 << false;
        QTest::newRow("fraction is no integer") << "12.5" << -1 << 12.5 << true;
        QTest::newRow("text gives defaults") << "abc" << -1 << -1.0 << true;
        QTest::newRow("empty gives defaults") << "" << -1 << -1.0 << true;
    }
    void typedReads() {
        QFETCH(QString, stored);
        QFETCH(int, integer);
        QFETCH(double, number);
        QFETCH(bool, flag);
        IniFile ini(m_dir.filePath(QStringLiteral("typed.ini")));
        ini.writeString(QStringLiteral("t"), QStringLiteral("k"), stored);
        QCOMPARE(ini.readInteger(QStringLiteral("t"), QStringLiteral("k"), -1), integer);
        QCOMPARE(ini.readFloat(QStringLiteral("t"), QStringLiteral("k"), -1.0), number);
        QCOMPARE(ini.readBool(QStringLiteral("t"), QStringLiteral("k"), true), flag);
    }

    void flushReportsFailure() {
        IniFile ini(m_dir.filePath(QStringLiteral("no/such/folder/x.ini")));
        QVERIFY(ini.flush()); // nothing to write yet
        ini.writeString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("v"));
        QVERIFY(!ini.flush());
    }

    void missingFileOpensEmpty() {
        IniFile ini(m_dir.filePath(QStringLiteral("missing.ini")));
        QVERIFY(ini.sections().isEmpty());
        QCOMPARE(ini.readInteger(QStringLiteral("viewx"), QStringLiteral("a.x"), 30), 30);
    }
};

OVERPRINT_TEST(TestIniFile)
#include "TestIniFile.moc"
