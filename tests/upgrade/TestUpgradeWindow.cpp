#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "EarlierDatabase.h"
#include "core/InstallRecord.h"
#include "upgrade/ui/TfrmUp2NewVersion.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <memory>

using upgrade::ui::TfrmUp2NewVersion;

class TestUpgradeWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> m_home;

private slots:
    void init() {
        m_home = std::make_unique<TestHome>();
        QVERIFY2(m_home->isValid(), qPrintable(m_home->error()));
        earlier::makeEarlier(m_home->db(), 3, 3);
        m_home->app().version = QStringLiteral("9.28");
    }
    void cleanup() { m_home.reset(); }

    void runFromTheWindow() {
        TfrmUp2NewVersion window(m_home->app(), QString(), nullptr);
        QCOMPARE(window.windowTitle(), QStringLiteral("青木鸟软件升级包"));
        int created = 0;
        window.createMatchColumn = [&](core::Database&) {
            ++created;
            return true;
        };
        QTest::mouseClick(window.btStartUpdate, Qt::LeftButton);
        QCOMPARE(created, 1);
        QCOMPARE(window.ProgressBar1->value(), 150);
        QCOMPARE(window.lbMessage->text(), QStringLiteral("进度:150/150    升级完成！"));
        QVERIFY(window.btStartUpdate->isEnabled());
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QVERIFY(m_home->dialogs().lastText().startsWith(QStringLiteral("恭喜，升级成功啦！")));
    }

    // Without a program named, the check falls back on the registered folder and asks for one.
    void environmentCheckFromTheRecord() {
        core::InstallRecord record(m_home->path() + QStringLiteral("install.ini"));
        record.write(QStringLiteral("RunPath"), m_home->path());
        TfrmUp2NewVersion window(m_home->app(), QString(), &record);
        window.btStartUpdate->setEnabled(false);
        QTest::mouseClick(window.btEnvTest, Qt::LeftButton);
        QCOMPARE(window.cbAppFile->currentText(), QStringLiteral("请选择.."));
        QCOMPARE(m_home->dialogs().lastText(),
                 QStringLiteral("请选择青木鸟快递打印软件的主运行程序(例如:D:/青木鸟打印/青木鸟V927.exe)~"));
        QVERIFY(window.btStartUpdate->isEnabled());
    }
};

OVERPRINT_TEST(TestUpgradeWindow)
#include "TestUpgradeWindow.moc"
