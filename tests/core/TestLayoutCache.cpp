#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "core/IniFile.h"
#include "core/TemplateStore.h"
#include "core/ui/FormPlacement.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <memory>

using core::IniFile;
using core::ui::FormPlacement;

// The per-template layout cache and the placing of input boxes from it, over the shipped
// template 1 (出货单（标准）).
class TestLayoutCache : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> m_home;

    core::TemplateStore& store() { return m_home->app().templates(); }
    core::Database& db() { return m_home->db(); }
    QString marker(int id) {
        return db()
            .scalar(QStringLiteral("select IniFile from CKTypeTable where CheckTypeID=:id"),
                    {{QStringLiteral("id"), id}})
            .toString();
    }
    void addSetting(int id, const QString& name, const QString& value) {
        db().exec(QStringLiteral("insert into DMTable (DMName,DMValue,CheckTypeId) values (:n,:v,:id)"),
                  {{QStringLiteral("n"), name}, {QStringLiteral("v"), value}, {QStringLiteral("id"), id}});
    }
    // A window with one child per item of the kind, named as the items but in lower case.
    std::unique_ptr<QWidget> entryLikeWindow() {
        auto window = std::make_unique<QWidget>();
        const QStringList names = store().loadCtlNamesOfKind(QStringLiteral("出货单"));
        for (const QString& name : names) {
            QWidget* child = name.startsWith(QLatin1String("DEFCHECK"), Qt::CaseInsensitive)
                                 ? static_cast<QWidget*>(new QCheckBox(window.get()))
                                 : static_cast<QWidget*>(new QLineEdit(window.get()));
            child->setObjectName(name.toLower());
        }
        return window;
    }

private slots:
    void init() {
        m_home = std::make_unique<TestHome>();
        QVERIFY2(m_home->isValid(), qPrintable(m_home->error()));
    }
    void cleanup() { m_home.reset(); }

    void buildWritesLayoutAndOwnSettings() {
        addSetting(1, QStringLiteral("cfgPrintDH"), QStringLiteral("1"));
        addSetting(1, QStringLiteral("cfgRemark"), QStringLiteral("O'Brien 王's店"));
        addSetting(0, QStringLiteral("cfgShared"), QStringLiteral("1"));
        addSetting(2, QStringLiteral("cfgOther"), QStringLiteral("1"));
        addSetting(1, QStringLiteral("计量单位"), QStringLiteral("个"));
        db().exec(QStringLiteral(
            "update ckControl set InitValue='今天', SrcX=714.5 where CheckTypeID=1 and CtlName='zdPJBH'"));
        QCOMPARE(marker(1), QString());

        store().buildCheckIniFile(1);

        QVERIFY2(marker(1).startsWith(QLatin1String("1.ini@")), qPrintable(marker(1)));
        QVERIFY(QFile::exists(store().cacheFilePath(1)));
        IniFile ini(store().cacheFilePath(1));
        const QString items = ini.readString(QStringLiteral("VIEW"), QStringLiteral("configitems"));
        QVERIFY(items.startsWith(QLatin1String("zdTitleFirst,zdTitleSub,zdPJBH,")));
        QVERIFY(items.endsWith(QLatin1Char(',')));
        const int itemCount =
            db().scalar(QStringLiteral("select count(*) from NameDict where CheckTypeName='出货单'")).toInt();
        QCOMPARE(items.count(QLatin1Char(',')), itemCount);
        QCOMPARE(ini.keys(QStringLiteral("viewx")).first(), QStringLiteral("ZDTITLEFIRST.x"));
        // The value as the store keeps it: the local file keeps the half, a server's integer rounds.
        QCOMPARE(
            ini.readString(QStringLiteral("viewx"), QStringLiteral("zdpjbh.x")),
            db().scalar(QStringLiteral("select SrcX from ckControl where CheckTypeID=1 and CtlName='zdPJBH'"))
                .toString());
        QCOMPARE(ini.readInteger(QStringLiteral("viewy"), QStringLiteral("zdpjbh.y"), 0), 66);
        QCOMPARE(ini.readInteger(QStringLiteral("vieww"), QStringLiteral("zdpjbh.w"), 0), 140);
        QCOMPARE(ini.readInteger(QStringLiteral("viewh"), QStringLiteral("zdpjbh.h"), 0), 19);
        QCOMPARE(ini.readInteger(QStringLiteral("viewv"), QStringLiteral("zdpjbh.v"), 0), 1);
        QCOMPARE(ini.readString(QStringLiteral("viewdv"), QStringLiteral("zdpjbh.dv")),
                 QStringLiteral("今天"));
        QCOMPARE(ini.keys(QStringLiteral("CheckConfig")), (QStringList{"cfgPrintDH", "cfgRemark"}));
        QCOMPARE(core::TemplateStore::getInifCheckConfigByName(&ini, QStringLiteral("CFGREMARK")),
                 QStringLiteral("O'Brien 王's店"));
        QCOMPARE(core::TemplateStore::getInifCheckConfigByName(nullptr, QStringLiteral("cfgRemark")),
                 QString());
    }

    void rebuildReplacesWhatWasThere() {
        addSetting(1, QStringLiteral("cfgGone"), QStringLiteral("1"));
        store().buildCheckIniFile(1);
        db().exec(QStringLiteral("delete from DMTable where DMName='cfgGone'"));
        db().exec(QStringLiteral("delete from ckControl where CheckTypeID=1 and CtlName='zdPJBH'"));
        store().buildCheckIniFile(1);
        IniFile ini(store().cacheFilePath(1));
        QVERIFY(!ini.valueExists(QStringLiteral("CheckConfig"), QStringLiteral("cfgGone")));
        QVERIFY(!ini.valueExists(QStringLiteral("viewx"), QStringLiteral("ZDPJBH.x")));
    }

    void openBuildsOnlyWithoutMarker() {
        auto first = store().OpenCheckInif(1);
        QCOMPARE(first->readInteger(QStringLiteral("viewx"), QStringLiteral("zdPJBH.x"), 0), 714);
        db().exec(QStringLiteral("update ckControl set SrcX=1 where CheckTypeID=1 and CtlName='zdPJBH'"));
        // The marker is trusted: no rebuild until something clears it.
        QCOMPARE(
            store().OpenCheckInif(1)->readInteger(QStringLiteral("viewx"), QStringLiteral("zdPJBH.x"), 0),
            714);
        db().exec(QStringLiteral("update CKTypeTable set IniFile='' where CheckTypeID=1"));
        QCOMPARE(
            store().OpenCheckInif(1)->readInteger(QStringLiteral("viewx"), QStringLiteral("zdPJBH.x"), 0), 1);
    }

    // The mark on the shared template row says a cache was built, not that this seat has it:
    // a seat whose file is missing, or older than the layout, builds its own.
    void cacheOfThisSeatMissingOrStaleIsRebuilt_data() {
        QTest::addColumn<bool>("deleteFile");
        QTest::newRow("file deleted") << true;
        QTest::newRow("built from an older layout") << false;
    }
    void cacheOfThisSeatMissingOrStaleIsRebuilt() {
        QFETCH(bool, deleteFile);
        store().OpenCheckInif(1);
        if (deleteFile) {
            QVERIFY(QFile::remove(store().cacheFilePath(1)));
        } else {
            // Another seat changed the layout and rebuilt its own cache: the mark is new.
            db().exec(QStringLiteral("update ckControl set SrcX=3 where CheckTypeID=1 and CtlName='zdPJBH'"));
            db().exec(QStringLiteral("update CKTypeTable set IniFile='1.ini@other' where CheckTypeID=1"));
        }
        auto ini = store().OpenCheckInif(1);
        QCOMPARE(ini->readInteger(QStringLiteral("viewx"), QStringLiteral("zdPJBH.x"), 0),
                 deleteFile ? 714 : 3);
        QCOMPARE(ini->readString(QStringLiteral("cache"), QStringLiteral("stamp")), marker(1));
    }

    void placesEveryBoxByNameLetterCaseIgnored() {
        db().exec(
            QStringLiteral("update ckControl set InitValue='0', NeedShow=1, SrcX=5, SrcY=6, SrcW=15, SrcH=16 "
                           "where CheckTypeID=1 and CtlName='DEFCHECK1'"));
        auto ini = store().OpenCheckInif(1);
        auto window = entryLikeWindow();
        window->show();
        FormPlacement(m_home->app())
            .setFormControlsPosition(1, QStringLiteral("出货单"), window.get(), ini.get());

        auto* number = window->findChild<QLineEdit*>(QStringLiteral("zdpjbh"));
        QVERIFY(number && number->isVisible());
        QCOMPARE(number->geometry(), QRect(714, 66, 140, 19));
        auto* check = window->findChild<QCheckBox*>(QStringLiteral("defcheck1"));
        QVERIFY(check && check->isVisible());
        QVERIFY(check->isChecked()); // "0" ticks it as any initial value does
        QCOMPARE(check->geometry(), QRect(5, 6, 15, 16));

        int shown = 0;
        for (QWidget* child : window->findChildren<QWidget*>())
            shown += child->isVisible();
        QCOMPARE(shown, db().scalar(QStringLiteral(
                                        "select count(*) from ckControl where CheckTypeID=1 and NeedShow<>0"))
                            .toInt());
        QVERIFY(m_home->dialogs().shown.isEmpty());
    }

    // Items outside the form area (a tool-bar button of the shipped layouts) are shown or hidden
    // by the layout but keep the place their own bar gives them.
    void onlyTheFormAreaIsPositioned_data() {
        QTest::addColumn<bool>("shown");
        QTest::newRow("layout shows it") << true;
        QTest::newRow("layout hides it") << false;
    }
    void onlyTheFormAreaIsPositioned() {
        QFETCH(bool, shown);
        db().exec(QStringLiteral(
                      "update ckControl set NeedShow=:v where CheckTypeID=1 and CtlName='btMultiPrintS'"),
                  {{QStringLiteral("v"), shown ? 1 : 0}});
        auto ini = store().OpenCheckInif(1);
        QWidget window;
        auto* bar = new QFrame(&window);
        auto* row = new QHBoxLayout(bar);
        auto* first = new QToolButton(bar);
        first->setObjectName(QStringLiteral("btNew"));
        first->setText(QStringLiteral("新建(&N)"));
        auto* batch = new QToolButton(bar);
        batch->setObjectName(QStringLiteral("btMultiPrintS"));
        batch->setText(QStringLiteral("批量打印"));
        row->addWidget(first);
        row->addWidget(batch);
        auto* form = new QWidget(&window);
        form->setGeometry(0, 40, 1000, 600);
        auto* number = new QLineEdit(form);
        number->setObjectName(QStringLiteral("zdPJBH"));
        window.resize(1000, 640);
        window.show();
        const QRect before = batch->geometry();
        FormPlacement(m_home->app())
            .setFormControlsPosition(1, QStringLiteral("出货单"), &window, ini.get(), form);
        QCOMPARE(number->geometry(), QRect(714, 66, 140, 19));
        QCOMPARE(batch->isHidden(), !shown);
        QCOMPARE(batch->geometry(), before);
        QVERIFY(!batch->geometry().intersects(first->geometry()));
    }

    void failingItemLookupIsReported() {
        auto ini = store().OpenCheckInif(1);
        db().exec(QStringLiteral("drop table NameDict"));
        QWidget window;
        FormPlacement(m_home->app()).setFormControlsPosition(1, QStringLiteral("出货单"), &window, ini.get());
        QCOMPARE(m_home->dialogs().shown.size(), 1);
        QVERIFY(m_home->dialogs().lastText().startsWith(QStringLiteral("调入项目参数失败!")));
        QVERIFY(m_home->dialogs().lastText().size() > QStringLiteral("调入项目参数失败!").size());
    }

    void singleBoxTakesItsInitialValue_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("dv");
        QTest::addColumn<QString>("text");
        QTest::newRow("line edit") << "QLineEdit"
                                   << "O'Brien"
                                   << "O'Brien";
        QTest::newRow("editable combo") << "editable"
                                        << "人民币"
                                        << "人民币";
        QTest::newRow("list combo selects the item") << "list"
                                                     << "美元"
                                                     << "美元";
        QTest::newRow("plain text edit") << "QPlainTextEdit"
                                         << "备注"
                                         << "备注";
        QTest::newRow("rich text edit") << "QTextEdit"
                                        << "备注"
                                        << "备注";
        QTest::newRow("label") << "QLabel"
                               << "标题"
                               << "标题";
        QTest::newRow("check box with 0") << "QCheckBox"
                                          << "0"
                                          << "checked";
        QTest::newRow("check box without value") << "QCheckBox"
                                                 << ""
                                                 << "unchecked";
        QTest::newRow("empty value keeps the text") << "QLineEdit"
                                                    << ""
                                                    << "before";
    }
    void singleBoxTakesItsInitialValue() {
        QFETCH(QString, kind);
        QFETCH(QString, dv);
        QFETCH(QString, text);
        QWidget window;
        QWidget* box = nullptr;
        if (kind == QLatin1String("QLineEdit"))
            box = new QLineEdit(QStringLiteral("before"), &window);
        else if (kind == QLatin1String("editable") || kind == QLatin1String("list")) {
            auto* combo = new QComboBox(&window);
            combo->addItems({QStringLiteral("人民币"), QStringLiteral("美元")});
            combo->setEditable(kind == QLatin1String("editable"));
            combo->setCurrentIndex(-1);
            box = combo;
        } else if (kind == QLatin1String("QPlainTextEdit"))
            box = new QPlainTextEdit(&window);
        else if (kind == QLatin1String("QTextEdit"))
            box = new QTextEdit(&window);
        else if (kind == QLatin1String("QLabel"))
            box = new QLabel(&window);
        else
            box = new QCheckBox(&window);
        box->setObjectName(QStringLiteral("zdBox"));

        IniFile ini(m_home->path() + QStringLiteral("box.ini"));
        ini.writeString(QStringLiteral("viewv"), QStringLiteral("ZDBOX.v"), QStringLiteral("1"));
        ini.writeString(QStringLiteral("viewdv"), QStringLiteral("ZDBOX.dv"), dv);
        FormPlacement::setFormCtlPositionFromIni(QStringLiteral("ZDBOX"), &ini, &window);

        QString actual;
        if (auto* edit = qobject_cast<QLineEdit*>(box))
            actual = edit->text();
        else if (auto* combo = qobject_cast<QComboBox*>(box))
            actual = combo->currentText();
        else if (auto* plain = qobject_cast<QPlainTextEdit*>(box))
            actual = plain->toPlainText();
        else if (auto* rich = qobject_cast<QTextEdit*>(box))
            actual = rich->toPlainText();
        else if (auto* label = qobject_cast<QLabel*>(box))
            actual = label->text();
        else
            actual = qobject_cast<QCheckBox*>(box)->isChecked() ? QStringLiteral("checked")
                                                                : QStringLiteral("unchecked");
        QCOMPARE(actual, text);
        // Only visibility and position come from the file; the rest are defaults.
        QCOMPARE(box->geometry(), QRect(30, 25, 45, 18));
    }

    void settingsAreStoredPerTemplate() {
        core::TemplateStore& s = store();
        QVERIFY(s.setCheckConfigByName(1, QStringLiteral("cfgPrintDH"), QStringLiteral("1")));
        QVERIFY(s.setCheckConfigByName(1, QStringLiteral("CFGPRINTDH"), QStringLiteral("O'Brien")));
        QVERIFY(s.setCheckConfigByName(2, QStringLiteral("cfgPrintDH"), QStringLiteral("0")));
        const auto value = [&](int id) {
            return db().query(
                QStringLiteral(
                    "select DMName,DMValue from DMTable where DMName='cfgPrintDH' and CheckTypeId=:id"),
                {{QStringLiteral("id"), id}});
        };
        const core::Recordset first = value(1);
        QCOMPARE(first.recordCount(), 1);
        QCOMPARE(first.text(QStringLiteral("DMName")),
                 QStringLiteral("cfgPrintDH")); // name kept as first stored
        QCOMPARE(first.text(QStringLiteral("DMValue")), QStringLiteral("O'Brien"));
        QCOMPARE(value(2).text(QStringLiteral("DMValue")), QStringLiteral("0"));

        db().exec(QStringLiteral("drop table DMTable"));
        QVERIFY(!s.setCheckConfigByName(1, QStringLiteral("cfgX"), QStringLiteral("1")));
        QVERIFY(m_home->dialogs().lastText().startsWith(QStringLiteral("cfgX设置模板参数错误:")));
    }
};

OVERPRINT_TEST(TestLayoutCache)
#include "TestLayoutCache.moc"
