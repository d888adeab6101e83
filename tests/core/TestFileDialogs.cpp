#include "support/TestRegistry.h"

#include "core/ui/WidgetDialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

// Qt's own file dialog as the program opens it: its date column reads whole in the clerk's
// locale (a 12-hour clock with AM/PM is the widest), and a size the clerk gave it comes back.
class TestFileDialogs : public QObject {
    Q_OBJECT

private slots:
    void dateColumnReadsWhole_data() {
        QTest::addColumn<QString>("locale");
        QTest::newRow("en_US") << "en_US";
        QTest::newRow("zh_CN") << "zh_CN";
    }
    void dateColumnReadsWhole() {
        QFETCH(QString, locale);
        QLocale::setDefault(QLocale(locale));
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("orders.xlsx")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QFileDialog dialog(nullptr, QStringLiteral("打开"), dir.path());
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setViewMode(QFileDialog::Detail);
        core::ui::WidgetDialogs::fitFileDialog(dialog, QSize());
        auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
        QVERIFY(view);
        // The widest date the column can show: late in the evening at the end of the year.
        const QString date =
            QLocale().toString(QDateTime(QDate(2026, 12, 30), QTime(22, 22, 22)), QLocale::ShortFormat);
        QVERIFY2(view->header()->sectionSize(3) > view->fontMetrics().horizontalAdvance(date),
                 qPrintable(date + QStringLiteral(" in ") + QString::number(view->header()->sectionSize(3))));
        QVERIFY(dialog.width() >= 800 || dialog.width() == dialog.screen()->availableSize().width());

        core::ui::WidgetDialogs::fitFileDialog(dialog, QSize(700, 420));
        QCOMPARE(dialog.size(), QSize(700, 420));
        QLocale::setDefault(QLocale::system());
    }
};

OVERPRINT_TEST(TestFileDialogs)
#include "TestFileDialogs.moc"
