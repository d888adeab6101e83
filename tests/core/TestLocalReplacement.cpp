#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "core/Database.h"
#include "core/ProgramFolder.h"
#include "core/StoreCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

// The program folder's local store replaced by a copy of another store (db copy --from) when
// the file system refuses a step: the clerk's store is never lost.
class TestLocalReplacement : public QObject {
    Q_OBJECT

private slots:
    void failedRenameKeepsTheLocalStore() {
        TestHome local(TestHome::Store::LocalFile);
        TestHome other(TestHome::Store::LocalFile);
        QVERIFY(local.isValid() && other.isValid());
        local.db().exec(QStringLiteral("insert into DataCheckFHDSHD (票据编号) values ('OWN-1')"));
        other.db().exec(QStringLiteral("insert into DataCheckFHDSHD (票据编号) values ('OTHER-1')"));
        const QDir data(local.path() + QStringLiteral("Data"));
        QTemporaryDir aside;
        // Between the two renames the new store's name is taken away, so the second fails.
        core::StoreCopy::setStepHook([&](const QString& step) {
            if (step != core::StoreCopy::kStoreKept)
                return;
            for (const QString& name : data.entryList({QStringLiteral("EPData.ini.new-copy-*")}, QDir::Files))
                if (!name.endsWith(QLatin1String(".ready")))
                    QFile::rename(data.filePath(name), aside.filePath(name));
        });
        const core::StoreCopy::Result result = core::StoreCopy::replaceLocal(other.db(), local.path());
        core::StoreCopy::setStepHook({});
        QVERIFY(!result.ok);
        QVERIFY2(result.error.contains(QStringLiteral("没有改变")), qPrintable(result.error));

        const QString path = core::ProgramFolder::databasePath(local.path());
        QVERIFY(QFileInfo::exists(path));
        core::Database after(QStringLiteral("after-replacement"));
        after.open(path);
        QCOMPARE(after.scalar(QStringLiteral("select 票据编号 from DataCheckFHDSHD")).toString(),
                 QStringLiteral("OWN-1"));
        // Nothing of the copy is left for the next start to find.
        QCOMPARE(data.entryList({QStringLiteral("EPData.ini.new-*")}, QDir::AllEntries | QDir::Hidden),
                 QStringList());
    }
};

OVERPRINT_TEST(TestLocalReplacement)
#include "TestLocalReplacement.moc"
