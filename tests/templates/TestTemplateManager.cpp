#include "core/ScriptedDialogs.h"
#include "core/TemplateStore.h"
#include "core/ui/DataGrid.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"
#include "templates/TemplateAdmin.h"
#include "templates/ui/TfrmCheckTypeMng.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>

using templates::TemplateAdmin;
using templates::ui::TfrmCheckTypeMng;

namespace {

QList<QVariantMap> rowsOf(TestHome& home, const QString& sql, int id) {
    core::Recordset rs = home.db().query(sql, {{QStringLiteral("id"), id}});
    QList<QVariantMap> out;
    for (rs.first(); !rs.eof(); rs.next()) {
        QVariantMap row;
        for (const QString& f : rs.fieldNames())
            row.insert(f, rs.value(f));
        out << row;
    }
    return out;
}

QList<QVariantMap> items(TestHome& home, int id) {
    QList<QVariantMap> out =
        rowsOf(home, QStringLiteral("select * from ckControl where CheckTypeID=:id order by ID"), id);
    for (QVariantMap& row : out) {
        row.remove(QStringLiteral("ID"));
        row.remove(QStringLiteral("CheckTypeID"));
    }
    return out;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QList<int> listedIds(TfrmCheckTypeMng& window) {
    QList<int> ids;
    for (int r = 0; r < window.grid()->rowCount(); ++r)
        ids << window.grid()->value(r, QStringLiteral("编号")).toInt();
    return ids;
}

void selectRows(core::ui::DataGrid* grid, const QList<int>& rows) {
    grid->clearSelection();
    for (int r : rows)
        grid->selectionModel()->select(grid->model()->index(r, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

} // namespace

class TestTemplateManager : public QObject {
    Q_OBJECT

private slots:
    void cleanName_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("clean");
        QTest::newRow("inner blank and quote") << QStringLiteral(" 测 试'A") << QStringLiteral("测试A");
        QTest::newRow("both parentheses") << QStringLiteral("新（一）(二)") << QStringLiteral("新一二");
        QTest::newRow("only removed") << QStringLiteral(" ()（）'%*? ") << QString();
    }
    void cleanName() {
        QFETCH(QString, typed);
        QFETCH(QString, clean);
        QCOMPARE(TemplateAdmin::cleanName(typed), clean);
    }

    // Typed keys are literals: a percent sign or a quote finds only itself and breaks nothing.
    void listingBindsTypedText_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QList<int>>("ids");
        QTest::newRow("all") << 0 << QStringLiteral("所有模板种类") << QString() << QList<int>{2, 1};
        QTest::newRow("kind prefix") << 0 << QStringLiteral("出货") << QString() << QList<int>{2, 1};
        QTest::newRow("key") << 0 << QString() << QStringLiteral("241") << QList<int>{2};
        QTest::newRow("percent") << 0 << QString() << QStringLiteral("%") << QList<int>{};
        QTest::newRow("quote") << 0 << QStringLiteral("出'货") << QStringLiteral("'") << QList<int>{};
        QTest::newRow("defaults") << 2 << QString() << QString() << QList<int>{1};
        QTest::newRow("hidden") << 3 << QString() << QString() << QList<int>{};
    }
    void listingBindsTypedText() {
        QFETCH(int, tab);
        QFETCH(QString, kind);
        QFETCH(QString, key);
        QFETCH(QList<int>, ids);
        TestHome home;
        const TemplateAdmin::Listing list = TemplateAdmin::listing(tab, kind, key);
        core::Recordset rs = home.db().query(list.sql, list.params);
        QList<int> got;
        for (rs.first(); !rs.eof(); rs.next())
            got << static_cast<int>(rs.integer(QStringLiteral("编号")));
        QCOMPARE(got, ids);
    }

    // A clone keeps every item column (alignment, colour, NULLs), never the default mark, and
    // its own copy of the image.
    void cloneCopiesEverything() {
        TestHome home;
        home.db().exec(
            QStringLiteral("update ckControl set Align='2', CtlFontColor='255', InitValue=NULL "
                           "where CheckTypeID=1 and ID=(select min(ID) from ckControl where CheckTypeID=1)"));
        TfrmCheckTypeMng window(home.app(), 1);
        window.show();
        window.grid()->setCurrentRow(listedIds(window).indexOf(1));
        home.dialogs().inputs.enqueue(QStringLiteral(" 测 试'A"));
        window.command(QStringLiteral("nCloneTemplate"))->trigger();
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("克隆模板成功，已新增一个同类模板~"));

        QCOMPARE(items(home, 3), items(home, 1));
        const QVariantMap source =
            rowsOf(home, QStringLiteral("select * from CKTypeTable where CheckTypeID=:id"), 1)[0];
        QVariantMap clone =
            rowsOf(home, QStringLiteral("select * from CKTypeTable where CheckTypeID=:id"), 3)[0];
        QCOMPARE(clone.value(QStringLiteral("TypeName")).toString(), QStringLiteral("出货单（测试A）"));
        QCOMPARE(clone.value(QStringLiteral("IsDefault")).toString(), QStringLiteral("0"));
        QCOMPARE(clone.value(QStringLiteral("ImgFile")).toString(), QStringLiteral("shd3.jpg"));
        for (const char* same :
             {"XMove", "PWidth", "PHeight", "HVPrint", "Visiable", "IsCommon", "CheckBoxs"})
            QCOMPARE(clone.value(QLatin1String(same)), source.value(QLatin1String(same)));
        const QString image = home.path() + QStringLiteral("Image/");
        QCOMPARE(fileBytes(image + QStringLiteral("shd3.jpg")),
                 fileBytes(image + QStringLiteral("shd1.jpg")));
        QVERIFY(!QFile::exists(image + QStringLiteral("shd3.jpg.part")));
        QVERIFY(listedIds(window).contains(3));

        // The same name again is refused.
        window.grid()->setCurrentRow(listedIds(window).indexOf(1));
        home.dialogs().inputs.enqueue(QStringLiteral("测试A"));
        window.command(QStringLiteral("nCloneTemplate"))->trigger();
        QVERIFY(home.dialogs().lastText().startsWith(QStringLiteral("模板名字已经存在")));
    }

    // A clone that fails half-way leaves nothing behind: no row, no items, no image.
    void failedCloneLeavesNothing() {
        TestHome home;
        home.db().exec(QStringLiteral("delete from ckControl where CheckTypeID=2"));
        TemplateAdmin admin(home.app());
        try {
            admin.clone(2, QStringLiteral("新"));
            QFAIL("clone without items succeeded");
        } catch (const core::DbError& e) {
            QVERIFY(e.message().startsWith(QStringLiteral("找不到源模板细节数据")));
        }
        QCOMPARE(home.db().scalar(QStringLiteral("select count(*) from CKTypeTable")).toInt(), 2);
        QVERIFY(QDir(home.path() + QStringLiteral("Image")).entryList({QStringLiteral("shd3*")}).isEmpty());
    }

    // Only a file of the image folder that no other template uses is removed with its template.
    void deleteKeepsForeignImages_data() {
        QTest::addColumn<QString>("imgFile");
        QTest::addColumn<bool>("removed");
        QTest::newRow("own") << QStringLiteral("own.jpg") << true;
        QTest::newRow("shared") << QStringLiteral("shd1.jpg") << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("outside") << QStringLiteral("../outside.jpg") << false;
        QTest::newRow("system") << QStringLiteral("SYS_own.jpg") << false;
    }
    void deleteKeepsForeignImages() {
        QFETCH(QString, imgFile);
        QFETCH(bool, removed);
        TestHome home;
        const QString image = home.path() + QStringLiteral("Image/");
        for (const QString& name :
             {QStringLiteral("own.jpg"), QStringLiteral("SYS_own.jpg"), QStringLiteral("../outside.jpg")}) {
            QFile f(image + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("x");
        }
        TemplateAdmin admin(home.app());
        const int id = admin.clone(2, QStringLiteral("删"));
        QFile::remove(image + QStringLiteral("shd3.jpg"));
        home.db().exec(QStringLiteral("update CKTypeTable set ImgFile=:img where CheckTypeID=:id"),
                       {{QStringLiteral("img"), imgFile}, {QStringLiteral("id"), id}});
        admin.remove(id);
        QVERIFY(!home.db().scalar(QStringLiteral("select 1 from ckControl where CheckTypeID=3")).isValid());
        if (!imgFile.isEmpty())
            QCOMPARE(!QFile::exists(image + imgFile), removed);
        QVERIFY(QFile::exists(image + QStringLiteral("shd1.jpg")));
        QVERIFY(QDir(image).exists());
    }

    // A kind keeps exactly one default through deletes, and keeps at least one template.
    void deleteHandsOverDefault_data() {
        QTest::addColumn<QList<int>>("hidden");
        QTest::addColumn<QList<int>>("removed");
        QTest::addColumn<int>("refusedAt"); // index into removed, -1: none refused
        QTest::addColumn<int>("defaultId");
        QTest::newRow("default goes, next takes over") << QList<int>{} << QList<int>{1} << -1 << 2;
        QTest::newRow("other goes, default stays") << QList<int>{} << QList<int>{2} << -1 << 1;
        QTest::newRow("enabled before hidden") << QList<int>{2} << QList<int>{1} << -1 << 3;
        QTest::newRow("only hidden left") << QList<int>{2, 3} << QList<int>{1} << -1 << 2;
        QTest::newRow("last one refused") << QList<int>{} << QList<int>{3, 2, 1} << 2 << 1;
        QTest::newRow("new default can go too") << QList<int>{} << QList<int>{1, 2} << -1 << 3;
    }
    void deleteHandsOverDefault() {
        QFETCH(QList<int>, hidden);
        QFETCH(QList<int>, removed);
        QFETCH(int, refusedAt);
        QFETCH(int, defaultId);
        TestHome home;
        TemplateAdmin admin(home.app());
        QCOMPARE(admin.clone(2, QStringLiteral("第三")), 3);
        admin.setVisible(hidden, false);
        for (int i = 0; i < removed.size(); ++i) {
            bool refused = false;
            try {
                admin.remove(removed[i]);
            } catch (const core::DbError&) {
                refused = true;
            }
            QCOMPARE(refused, i == refusedAt);
        }
        QCOMPARE(home.db()
                     .scalar(QStringLiteral("select group_concat(CheckTypeID) from CKTypeTable where "
                                            "IsDefault='默认'"))
                     .toString(),
                 QString::number(defaultId));
        QCOMPARE(
            home.db()
                .scalar(QStringLiteral("select IsCommon||Visiable from CKTypeTable where CheckTypeID=:id"),
                        {{QStringLiteral("id"), defaultId}})
                .toString(),
            QStringLiteral("是启用"));
        QCOMPARE(home.app().templates().loadDefaultCheckTypeId(QStringLiteral("出货单")), defaultId);
    }

    void deleteDefaultAsksNamingIt() {
        TestHome home;
        TfrmCheckTypeMng window(home.app(), 0);
        window.show();
        const QList<int> ids = listedIds(window);
        selectRows(window.grid(), {int(ids.indexOf(1))});
        home.dialogs().clear();
        home.dialogs().answers << 1 << 0; // the general question yes, the default's question no
        window.command(QStringLiteral("nDelete"))->trigger();
        QVERIFY(home.dialogs().sawText(QStringLiteral("【出货单（标准）】是出货单的默认模板，删除后【出货单（"
                                                      "三联241）】将成为默认模板。确认删除吗？")));
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("共删除 0 个模板！"));

        // Both selected: the first listed goes, the default left is the kind's last and stays.
        selectRows(window.grid(), {0, 1});
        home.dialogs().clear();
        home.dialogs().answers << 1 << 1;
        window.command(QStringLiteral("nDelete"))->trigger();
        QVERIFY(home.dialogs().sawText(QStringLiteral("【出货单（标准）】是出货单唯一的模板，不能删除！")));
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("共删除 1 个模板！"));
        QCOMPARE(listedIds(window), QList<int>{1});
        QCOMPARE(home.app().templates().loadDefaultCheckTypeId(QStringLiteral("出货单")), 1);
    }

    void deleteQuestions() {
        TestHome home;
        home.db().exec(QStringLiteral("update CKTypeTable set TypeName='无括号' where CheckTypeID=2"));
        TfrmCheckTypeMng window(home.app(), 0);
        window.show();
        selectRows(window.grid(), {0, 1});
        home.dialogs().clear();
        window.command(QStringLiteral("nDelete"))->trigger(); // first question unanswered: No
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("共删除 0 个模板！"));

        home.dialogs().clear();
        selectRows(window.grid(), {0, 1});
        home.dialogs().answers << 1 << 1;
        window.command(QStringLiteral("nDelete"))->trigger();
        QVERIFY(home.dialogs().sawText(QStringLiteral("获取单据类型失败：无括号")));
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("共删除 1 个模板！"));
        QCOMPARE(listedIds(window), QList<int>{2});
    }

    void standingCommands() {
        TestHome home;
        TfrmCheckTypeMng window(home.app(), 2);
        window.show();
        QCOMPARE(window.findChild<QComboBox*>(QStringLiteral("cbCheckTypeName"))->currentText(),
                 QStringLiteral("出货单"));
        // Removing both from the common list refuses the default alone.
        QVERIFY(!window.command(QStringLiteral("nNoCommon"))->isEnabled());
        window.findChild<QTabBar*>(QStringLiteral("TabControl1"))->setCurrentIndex(1);
        selectRows(window.grid(), {0, 1});
        window.command(QStringLiteral("nNoCommon"))->trigger();
        QVERIFY(home.dialogs().sawText(QStringLiteral("默认模板不能从常用模板移出！")));
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("共从常用模板移出 1 个模板为普通模板！"));
        QCOMPARE(listedIds(window), QList<int>{1});

        // The default moves to the hidden template, which becomes enabled and common again.
        window.findChild<QTabBar*>(QStringLiteral("TabControl1"))->setCurrentIndex(0);
        selectRows(window.grid(), {0});
        window.grid()->setCurrentRow(0); // 出货单（三联241）
        window.command(QStringLiteral("nHide"))->trigger();
        window.findChild<QTabBar*>(QStringLiteral("TabControl1"))->setCurrentIndex(3);
        QCOMPARE(listedIds(window), QList<int>{2});
        QVERIFY(!window.command(QStringLiteral("nHide"))->isEnabled());
        QVERIFY(!window.contextMenu()->actions().isEmpty());
        QVERIFY(!window.command(QStringLiteral("nProperty"))->isEnabled());
        QVERIFY(!window.findChild<QPushButton*>(QStringLiteral("btHide"))->isEnabled());
        window.grid()->setCurrentRow(0);
        window.command(QStringLiteral("nDefault"))->trigger();
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("默认【出货单票据】模板设置成功！"));
        QCOMPARE(listedIds(window), QList<int>{2});
        QCOMPARE(home.db()
                     .scalar(QStringLiteral("select count(*) from CKTypeTable where IsDefault='默认'"))
                     .toInt(),
                 1);
        QCOMPARE(home.db()
                     .scalar(QStringLiteral("select IsCommon||Visiable from CKTypeTable where CheckTypeID=2"))
                     .toString(),
                 QStringLiteral("是启用"));
        QVERIFY(!window.command(QStringLiteral("nDefault"))->isEnabled());
    }

    // Open entry windows follow the manager through templatesChanged: once for each change that
    // went through, never for one that was cancelled or refused.
    void changesAreAnnounced_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<int>("announced");
        QTest::newRow("clone") << "nCloneTemplate"
                               << "新样" << QList<int>{} << 1;
        QTest::newRow("clone cancelled") << "nCloneTemplate"
                                         << "\x1b" << QList<int>{} << 0;
        QTest::newRow("clone onto an existing name") << "nCloneTemplate"
                                                     << "标准" << QList<int>{} << 0;
        QTest::newRow("rename") << "N1"
                                << "新样" << QList<int>{} << 1;
        QTest::newRow("delete") << "nDelete"
                                << "" << QList<int>{1, 1} << 1;
        QTest::newRow("delete declined") << "nDelete"
                                         << "" << QList<int>{0} << 0;
        QTest::newRow("default") << "nDefault"
                                 << "" << QList<int>{} << 1;
        QTest::newRow("hide") << "nHide"
                              << "" << QList<int>{} << 1;
    }
    void changesAreAnnounced() {
        QFETCH(QString, command);
        QFETCH(QString, typed);
        QFETCH(QList<int>, answers);
        QFETCH(int, announced);
        TestHome home;
        TfrmCheckTypeMng window(home.app(), 0);
        window.show();
        const int row = listedIds(window).indexOf(2);
        selectRows(window.grid(), {row});
        window.grid()->setCurrentRow(row);
        if (!typed.isEmpty())
            home.dialogs().inputs.enqueue(typed);
        home.dialogs().answers << answers;
        QSignalSpy spy(&window, &TfrmCheckTypeMng::templatesChanged);
        QVERIFY(window.command(command));
        window.command(command)->trigger();
        QCOMPARE(spy.count(), announced);
    }

    void renameOntoExistingName() {
        TestHome home;
        TfrmCheckTypeMng window(home.app(), 0);
        window.show();
        window.grid()->setCurrentRow(listedIds(window).indexOf(2));
        home.dialogs().inputs.enqueue(QStringLiteral("标准"));
        window.command(QStringLiteral("N1"))->trigger();
        QVERIFY(home.dialogs().lastText().startsWith(QStringLiteral("模板名字已经存在")));
        QCOMPARE(home.app().templates().loadCheckTypeFullNameByID(2), QStringLiteral("出货单（三联241）"));

        home.dialogs().inputs.enqueue(QStringLiteral("（新）'名"));
        window.command(QStringLiteral("N1"))->trigger();
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("重名名成功~"));
        QCOMPARE(home.app().templates().loadCheckTypeFullNameByID(2), QStringLiteral("出货单（新名）"));
    }
};

OVERPRINT_TEST(TestTemplateManager)
#include "TestTemplateManager.moc"
