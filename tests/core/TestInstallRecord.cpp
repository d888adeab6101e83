#include "support/TestRegistry.h"

#include "core/InstallRecord.h"
#include "core/VersionInfo.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using core::InstallRecord;

// The installation record (through an INI file standing in for the registry) and the version text.
class TestInstallRecord : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void missingValuesReadAsEmptyMarker() {
        InstallRecord record(m_dir.filePath(QStringLiteral("fresh.ini")));
        QCOMPARE(record.read(QStringLiteral("RunPath")), QStringLiteral("空"));
    }

    void updateWritesWhatDiffersAndAlwaysTheFullPath() {
        const QString file = m_dir.filePath(QStringLiteral("record.ini"));
        {
            InstallRecord record(file);
            QVERIFY(record.update(QStringLiteral("/opt/王's店/"), QStringLiteral("1.0"),
                                  QStringLiteral("/opt/a")));
        }
        InstallRecord again(file);
        QCOMPARE(again.read(QStringLiteral("RunPath")), QStringLiteral("/opt/王's店/"));
        QCOMPARE(again.read(QStringLiteral("Version")), QStringLiteral("1.0"));
        QVERIFY(
            again.update(QStringLiteral("/opt/王's店/"), QStringLiteral("1.1"), QStringLiteral("/opt/b")));
        QCOMPARE(again.read(QStringLiteral("Version")), QStringLiteral("1.1"));
        QCOMPARE(again.read(QStringLiteral("FullPath")), QStringLiteral("/opt/b"));
    }

    void failedWriteIsReported() {
        // A file where the folder should be: not even root can write there.
        QFile blocker(m_dir.filePath(QStringLiteral("blocker")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        InstallRecord record(m_dir.filePath(QStringLiteral("blocker/record.ini")));
        QVERIFY(!record.update(QStringLiteral("/opt/"), QStringLiteral("1.0"), QStringLiteral("/opt/a")));
    }

    void versionText_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("text");
        QTest::newRow("three parts") << "1.4.2"
                                     << "1.4";
        QTest::newRow("four parts") << "2.10.0.7"
                                    << "2.10";
        QTest::newRow("major only") << "3"
                                    << "3.0";
        QTest::newRow("none") << ""
                              << "0.0";
        QTest::newRow("unreadable") << "beta"
                                    << "0.0";
    }
    void versionText() {
        QFETCH(QString, version);
        QFETCH(QString, text);
        QCOMPARE(core::VersionInfo::versionText(version), text);
    }
};

OVERPRINT_TEST(TestInstallRecord)
#include "TestInstallRecord.moc"
