#include "TestHome.h"
#include "TestRegistry.h"

#include "core/IniFile.h"
#include "core/ProgramFolder.h"
#include "core/ScriptedDialogs.h"
#include "core/TemplateStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QRectF>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using core::DbError;
using core::ProgramFolder;

namespace {

QByteArray readBytes(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

int defaultTemplate(core::Database& db) {
    return db
        .scalar(QStringLiteral("select CheckTypeID from CKTypeTable where IsDefault='默认' and "
                               "TypeFirstName='出货单' and Visiable='启用'"))
        .toInt();
}

} // namespace

class TestShippedData : public QObject {
    Q_OBJECT

private slots:
    // Every box of the entry window is an item of the kind and has a layout row on the
    // default template; "shown" is whether the default form has a field for it.
    void itemsOfTheDeliveryNote_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("shown");
        const struct {
            const char* name;
            bool shown;
        } fixed[] = {
            {"zdPJBH", true},        {"zdOrderId", true},     {"zdNianYueRi", true}, {"SelDate", true},
            {"zdDateOrder", false},  {"SelDateOrder", false}, {"zdGKMC", true},      {"SHPSKR", true},
            {"zdGKLXR", true},       {"zdGKAddr", true},      {"zdGKPhone", true},   {"zdGKHandset", true},
            {"KPRen", true},         {"SKRen", true},         {"zdRemark", true},    {"zdMoneyType", false},
            {"zdSumSL", true},       {"zdHJJE", true},        {"zdHJJEXX", false},   {"zdJEDX", true},
            {"zdDef1", true},        {"zdDef2", true},        {"zdDef3", false},     {"zdDef10", false},
            {"zdTitleFirst", false}, {"zdTitleSub", false},   {"DEFCHECK0", false},  {"DEFCHECK5", false},
            {"zdLine1", false},      {"zdLine30", false},     {"LB_1", false},       {"LB_30", false}};
        for (const auto& item : fixed)
            QTest::newRow(item.name) << QString::fromLatin1(item.name) << item.shown;
        for (const char* cell : {"zddxYY", "zddxQW", "zddxBW", "zddxSW", "zddxWY", "zddxQY", "zddxBY",
                                 "zddxSY", "zddxY", "zddxJ", "zddxF"})
            QTest::newRow(cell) << QString::fromLatin1(cell) << true;
        for (int n = 1; n <= 8; ++n)
            for (const char* box :
                 {"zdHuoHao", "zdSFNR", "zdGuiGe", "zdDW", "zdSL", "zdDJ", "zdJE", "zdPro"}) {
                const QString name = QString::fromLatin1(box) + QString::number(n);
                QTest::newRow(qPrintable(name)) << name << true;
            }
        QTest::newRow("found whatever the letter case") << QStringLiteral("ZDGKMC") << true;
    }
    void itemsOfTheDeliveryNote() {
        QFETCH(QString, name);
        QFETCH(bool, shown);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        const core::Params item{{QStringLiteral("name"), name}};
        QCOMPARE(home.db()
                     .scalar(QStringLiteral("select count(*) from NameDict where CheckTypeName='出货单' and "
                                            "CtlName=:name"),
                             item)
                     .toInt(),
                 1);
        core::Recordset layout = home.db().query(
            QStringLiteral(
                "select NeedShow, NeedPrint from ckControl where CheckTypeID=:id and CtlName=:name"),
            {{QStringLiteral("id"), defaultTemplate(home.db())}, {QStringLiteral("name"), name}});
        QCOMPARE(layout.recordCount(), 1);
        QCOMPARE(layout.integer(QStringLiteral("NeedShow")) == 1, shown);
        QCOMPARE(layout.integer(QStringLiteral("NeedPrint")), 1);
    }

    void oneDefaultCommonTemplatePerKind() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        core::Recordset rows = home.db().query(QStringLiteral(
            "select TypeName, IsCommon from CKTypeTable where IsDefault='默认' and TypeFirstName='出货单'"));
        QCOMPARE(rows.recordCount(), 1);
        QCOMPARE(rows.text(QStringLiteral("TypeName")), QStringLiteral("出货单（标准）"));
        QCOMPARE(rows.text(QStringLiteral("IsCommon")), QStringLiteral("是"));
        QVERIFY(home.db()
                    .scalar(QStringLiteral("select count(*) from CKTypeTable where Visiable='启用'"))
                    .toInt() >= 2);
    }

    // The template store finds the shipped templates without a message, and the layout cache
    // built from the seed places the boxes of the default form.
    void templateStoreReadsTheSeed() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        core::TemplateStore& store = home.app().templates();
        const QString kind = QStringLiteral("出货单");
        QCOMPARE(store.loadDefaultCheckTypeId(kind), 1);
        QCOMPARE(store.loadCommonTypeLastNameList(kind),
                 (QStringList{QStringLiteral("标准"), QStringLiteral("三联241")}));
        QCOMPARE(store.getTypeCodeByTypeName(kind) + QStringLiteral("1.jpg"),
                 home.db()
                     .scalar(QStringLiteral("select ImgFile from CKTypeTable where CheckTypeID=1"))
                     .toString());
        QVERIFY2(home.dialogs().shown.isEmpty(), qPrintable(home.dialogs().lastText()));

        const std::unique_ptr<core::IniFile> cache = store.OpenCheckInif(1);
        QVERIFY(cache);
        const QStringList items = cache->readString(QStringLiteral("view"), QStringLiteral("ConfigItems"))
                                      .split(QLatin1Char(','), Qt::SkipEmptyParts);
        QCOMPARE(items.size(), home.db().scalar(QStringLiteral("select count(*) from NameDict")).toInt());
        QCOMPARE(cache->readInteger(QStringLiteral("viewv"), QStringLiteral("ZDPJBH.v"), 0), 1);
        QCOMPARE(cache->readInteger(QStringLiteral("viewv"), QStringLiteral("ZDTITLEFIRST.v"), 1), 0);
    }

    // Each template's image is a JPEG of the size the template states, and every shown input box
    // lies on the image at the screen position of its print box (96 dpi).
    void templateImagesMatchTheirLayout_data() {
        QTest::addColumn<int>("id");
        QTest::newRow("标准") << 1;
        QTest::newRow("三联241") << 2;
    }
    void templateImagesMatchTheirLayout() {
        QFETCH(int, id);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        const core::Params key{{QStringLiteral("id"), id}};
        core::Recordset t = home.db().query(
            QStringLiteral(
                "select ImgFile, TWidth, THeight, PWidth, PHeight from CKTypeTable where CheckTypeID=:id"),
            key);
        QCOMPARE(t.recordCount(), 1);
        QImageReader reader(home.path() + QStringLiteral("Image/") + t.text(QStringLiteral("ImgFile")));
        QCOMPARE(reader.format(), QByteArray("jpeg"));
        const QImage image = reader.read();
        QVERIFY(!image.isNull());
        QCOMPARE(image.width(), int(t.integer(QStringLiteral("TWidth"))));
        QCOMPARE(image.height(), int(t.integer(QStringLiteral("THeight"))));
        QVERIFY(std::abs(t.integer(QStringLiteral("PWidth")) * 96.0 / 254.0 - image.width()) <= 1.0);

        core::Recordset boxes = home.db().query(
            QStringLiteral(
                "select CtlName, CtlType, CtlX, CtlY, CtlW, CtlH, SrcX, SrcY, SrcW, SrcH from ckControl "
                "where CheckTypeID=:id and NeedShow=1"),
            key);
        QVERIFY(boxes.recordCount() > 20);
        for (boxes.first(); !boxes.eof(); boxes.next()) {
            const QString name = boxes.text(QStringLiteral("CtlName"));
            const QRect src(
                int(boxes.integer(QStringLiteral("SrcX"))), int(boxes.integer(QStringLiteral("SrcY"))),
                int(boxes.integer(QStringLiteral("SrcW"))), int(boxes.integer(QStringLiteral("SrcH"))));
            QVERIFY2(image.rect().contains(src), qPrintable(name));
            // The print box is the input box, or lies inside it (a tick's mark prints in its
            // square, while its box also covers the caption).
            const QRectF print(boxes.integer(QStringLiteral("CtlX")) * 96.0 / 254.0,
                               boxes.integer(QStringLiteral("CtlY")) * 96.0 / 254.0,
                               boxes.integer(QStringLiteral("CtlW")) * 96.0 / 254.0,
                               boxes.integer(QStringLiteral("CtlH")) * 96.0 / 254.0);
            QVERIFY2(QRectF(src).adjusted(-1, -1, 1, 1).contains(print), qPrintable(name));
            if (boxes.text(QStringLiteral("CtlType")) != QLatin1String("CHECKBOX"))
                QVERIFY2(std::abs(print.x() - src.x()) <= 1.0 && std::abs(print.y() - src.y()) <= 1.0,
                         qPrintable(name));
            QVERIFY2(boxes.integer(QStringLiteral("CtlW")) > 0, qPrintable(name));
        }
    }

    void systemPictures_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("size");
        QTest::newRow("splash") << QStringLiteral("Sys_boot.jpg") << QSize(370, 249);
        QTest::newRow("background") << QStringLiteral("sys_bg.jpg") << QSize(1280, 800);
    }
    void systemPictures() {
        QFETCH(QString, file);
        QFETCH(QSize, size);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        QImageReader reader(home.path() + QStringLiteral("Image/") + file);
        QCOMPARE(reader.format(), QByteArray("jpeg"));
        QCOMPARE(reader.read().size(), size);
    }

    // Images named in another letter case than on disk are still found; a missing one is not
    // replaced by some other file.
    void imageNamesIgnoreLetterCase_data() {
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("found");
        QTest::newRow("exact") << "shd1.jpg"
                               << "shd1.jpg";
        QTest::newRow("upper case") << "SHD1.JPG"
                                    << "shd1.jpg";
        QTest::newRow("mixed") << "Sys_Boot.JPG"
                               << "Sys_boot.jpg";
        QTest::newRow("missing") << "shd12.jpg"
                                 << "shd12.jpg";
    }
    void imageNamesIgnoreLetterCase() {
        QFETCH(QString, asked);
        QFETCH(QString, found);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        const QString folder = home.path() + QStringLiteral("Image/");
        QCOMPARE(QFileInfo(core::ProgramFolder::existingPath(folder + asked)).fileName(), found);
    }

    // Every table of the index answers a select of the columns the program reads, the way the
    // data upgrade tests for a column.
    void tablesHaveTheirColumns_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("columns");
        QTest::newRow("configtable") << "configtable"
                                     << "cname,cvalue";
        QTest::newRow("CKTypeTable") << "CKTypeTable"
                                     << "CheckTypeID,TypeName,TypeFirstName,TypeDescribe,XMove,YMove,THeight,"
                                        "TWidth,PWidth,PHeight,HVPrint,"
                                        "ImgFile,Visiable,CheckBoxs,IsDefault,IsCommon,ShowOrd,IniFile,"
                                        "PreImgURL,InputBgColor,InputFtColor";
        QTest::newRow("ckControl")
            << "ckControl"
            << "ID,CheckTypeID,CtlName,CtlCName,CtlType,CtlX,CtlY,CtlW,CtlH,ctlLH,SrcX,SrcY,SrcW,"
               "SrcH,NeedShow,NeedPrint,CtlFontName,CtlFontSize,BreakFontSize,BreakNum,"
               "FitParam,Align,CtlFontColor,Bold,Italic,UnderLine,InitValue,ShowOrd";
        QTest::newRow("NameDict")
            << "NameDict"
            << "ID,CheckTypeName,CtlName,CtlLabel,CtlType,CtlData,PrintItem,ShowOrd,Groups";
        QTest::newRow("DMTable") << "DMTable"
                                 << "ID,DMName,DMValue,CheckTypeId";
        QTest::newRow("DataCheckFHDSHD") << "DataCheckFHDSHD"
                                         << "流水号,票据编号,模板种类,其他选项,票据状态,币种,合计金额,"
                                            "合计数量,备注,订单编号,订单日期,出票日期,"
                                            "顾客名称,顾客联系人,顾客地址,顾客电话,顾客手机,开票人,收款人,"
                                            "自定义1,自定义2,自定义3,自定义4,自定义5";
        QTest::newRow("DataCheckFHDSHDDetail")
            << "DataCheckFHDSHDDetail"
            << "票据编号,序号,订单编号,货号,商品名,规格,单位,数量,单价,金额,其他属性";
        QTest::newRow("CKPersonalInfoTable") << "CKPersonalInfoTable"
                                             << "ID,全称,助记码,联系人,开户银行,开户行账号,开户行地址,"
                                                "开户行行号,识别号,省,市,镇区,地址,电话,手机,邮编,"
                                                "国家,分组,单位类型,扩展信息,自定义1,自定义2,自定义3,排序";
        QTest::newRow("Products") << "Products"
                                  << "ID,商品名,规格,其他属性,货号,单位,单价,批价,简码,分类,备注";
        QTest::newRow("IDBuilder") << "IDBuilder"
                                   << "FID,IDHead,IDType,IDMax,IDStep,IDLen,CheckTypeID";
        QTest::newRow("DMTable2") << "DMTable2"
                                  << "类型,一级代码,二级代码";
        QTest::newRow("coins") << "coins"
                               << "币种,缩写,顺序";
        QTest::newRow("MatchColumn") << "MatchColumn"
                                     << "Id,MatchType,ItemName,SourceName,ShowOrd";
        QTest::newRow("ReceiverList") << "ReceiverList"
                                      << "全称,国家,省,市,镇区,地址,邮编,联系人,电话,手机,批打分组,目的站,"
                                         "内件说明,重量,件数,费用,备注,保价金额,"
                                         "保价费,体积,包装费,代收金额,手续费,运费,送货费,加急费,其他费,"
                                         "自定义3,自定义4,自定义5,金额大写1";
        QTest::newRow("OrderList")
            << "OrderList"
            << "ID,订单号,订单状态,订单日期,客户全称,客户会员ID,客户省,客户市,客户镇区,客户地址,"
               "客户邮编,客户联系人,客户电话,客户手机,备注,自定义1,自定义2,自定义3,票据编号";
        QTest::newRow("OrderDetail") << "OrderDetail"
                                     << "ID,订单号,货号,商品名,规格,单位,数量,单价,金额,属性1,属性2";
        QTest::newRow("UserTable") << "UserTable"
                                   << "ID,UserName,Passwd,RoleName,lastlogin,Remark";
        QTest::newRow("DataKDDTable")
            << "DataKDDTable"
            << "体积,代收金额,手续费,保价金额,保价费,运费,加急费,包装费,送货费,其他费,金额大写1,"
               "自定义1,自定义2,自定义3,自定义4,自定义5";
    }
    void tablesHaveTheirColumns() {
        QFETCH(QString, table);
        QFETCH(QString, columns);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        try {
            home.db().query(QStringLiteral("select ") + columns + QStringLiteral(" from ") + table +
                            QStringLiteral(" where 1>2"));
        } catch (const DbError& e) {
            QFAIL(qPrintable(e.message()));
        }
    }

    void emptyTemplatePackage() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        core::Database package(QStringLiteral("shipped-package"));
        package.open(ProgramFolder::packagePath(home.path()));
        try {
            package.query(
                QStringLiteral("select CheckTypeID,typename,TypeFirstName,TypeDescribe,xmove,ymove,theight,"
                               "twidth,hvPrint,ImgFile,visiable,CheckBoxs,IsCommon,ShowOrd,IsDefault,"
                               "Img_Bytes,Ini_Text,PWidth,PHeight from _CKTypeTable where 1>2"));
            package.query(
                QStringLiteral("select CheckTypeID,CtlName,CtlCName,CtlType,CtlX,CtlY,CtlH,CtlW,CtlLH,SrcX,"
                               "SrcY,SrcH,SrcW,NeedPrint,NeedShow,CtlFontName,CtlFontSize,BreakFontSize,"
                               "Bold,Italic,UnderLine,FitParam,BreakNum,InitValue,ShowOrd from _ckControl"));
        } catch (const DbError& e) {
            QFAIL(qPrintable(e.message()));
        }
        QCOMPARE(package.scalar(QStringLiteral("select count(*) from _CKTypeTable")).toInt(), 0);
        QCOMPARE(
            package.scalar(QStringLiteral("select DMValue from _Config where DMName='version'")).toString(),
            QStringLiteral("1.0"));
    }

    // Text compares without regard to letter case in every table, as the statements expect.
    void textComparesWithoutLetterCase() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        QCOMPARE(
            home.db().scalar(QStringLiteral("select count(*) from ckControl where CtlName='zdpjbh'")).toInt(),
            2);
        home.db().exec(QStringLiteral("insert into Products (商品名, 货号) values ('Cable', 'ab-1')"));
        QCOMPARE(
            home.db().scalar(QStringLiteral("select 商品名 from Products where 货号 like 'AB%'")).toString(),
            QStringLiteral("Cable"));
    }

    // Statements without an order walk the rows as they were stored: item lists in print
    // order, character fixes in the order they must be applied.
    void rowsComeInStoredOrder_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("first");
        QTest::newRow("items of the kind") << "select CtlName from NameDict where CheckTypeName='出货单'"
                                           << "zdTitleFirst,zdTitleSub,zdPJBH";
        QTest::newRow("layout of a template")
            << "select ucase(CtlName),SrcX from ckControl where CheckTypeId=1"
            << "ZDTITLEFIRST,ZDTITLESUB,ZDPJBH";
        QTest::newRow("character fixes") << "select 一级代码,二级代码 from DMTable2 where 类型='其他字符'"
                                         << "（,）,【";
        QTest::newRow("label fixes")
            << "select 一级代码,二级代码 from DMTable2 where 类型='其他字符' and 二级代码='手机'"
            << "移动电话,手机号码";
        QTest::newRow("variants of the kind") << "select TypeDescribe,IsDefault from CKTypeTable "
                                                 "where Visiable='启用' and IsCommon='是' "
                                                 "and TypeFirstName='出货单' group by TypeDescribe,IsDefault "
                                                 "order by min(rowid)"
                                              << "标准,三联241";
    }
    void rowsComeInStoredOrder() {
        QFETCH(QString, sql);
        QFETCH(QString, first);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        const QStringList expected = first.split(QLatin1Char(','));
        core::Recordset rows = home.db().query(sql);
        QStringList got;
        for (rows.first(); !rows.eof() && got.size() < expected.size(); rows.next())
            got << rows.text(0);
        QCOMPARE(got, expected);
    }

    void shippedOptionsAndReferenceData_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");
        QTest::newRow("login off") << "select cvalue from configtable where cname='进入系统需验证'"
                                   << "no";
        QTest::newRow("background on") << "select cvalue from configtable where cname='启用系统背景'"
                                       << "yes";
        QTest::newRow("spreadsheet preference")
            << "select cvalue from configtable where cname='MS EXCEL FIRST'"
            << "YES";
        QTest::newRow("yuan abbreviation") << "select 缩写 from coins where 币种='人民币'"
                                           << "￥";
        QTest::newRow("dollar abbreviation") << "select 缩写 from coins where 币种='美元'"
                                             << "$";
        QTest::newRow("operator without password")
            << "select Passwd || '|' || RoleName from UserTable where UserName='管理员'"
            << "|管理员";
        QTest::newRow("all provincial divisions")
            << "select count(distinct 一级代码) from DMTable2 where 类型='省市'"
            << "34";
        QTest::newRow("prefecture-level city") << "select count(*) from DMTable2 where 类型='省市' and "
                                                  "一级代码='广东' and 二级代码='深圳市'"
                                               << "1";
        QTest::newRow("autonomous prefecture")
            << "select 一级代码 from DMTable2 where 二级代码='延边朝鲜族自治州'"
            << "吉林";
        QTest::newRow("tab before the first order title")
            << "select unicode(SourceName) from MatchColumn where ItemName='订单号'"
            << "9";
        QTest::newRow("apostrophe in a partner name")
            << "select 联系人 from CKPersonalInfoTable where 全称='王''s 数码店'"
            << "O'Brien";
        QTest::newRow("series start empty") << "select count(*) from IDBuilder"
                                            << "0";
    }
    void shippedOptionsAndReferenceData() {
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        QCOMPARE(home.db().scalar(sql).toString(), expected);
    }

    // A second start finds everything in place and changes none of it; a picture removed by
    // the user comes back.
    void prepareKeepsWhatIsThere() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        home.db().exec(QStringLiteral("update configtable set cvalue='yes' where cname='进入系统需验证'"));
        home.db().exec(QStringLiteral("insert into Products (商品名) values ('用户商品')"));
        home.db().close();
        const QString config = home.path() + QStringLiteral("Config.ini");
        const QString image = home.path() + QStringLiteral("Image/shd1.jpg");
        const QString splash = home.path() + QStringLiteral("Image/Sys_boot.jpg");
        writeBytes(config, "[Info]\nnm=用户\n");
        writeBytes(image, "user picture");
        QVERIFY(QFile::remove(splash));

        QString error;
        QVERIFY2(ProgramFolder::prepare(home.path(), &error), qPrintable(error));

        home.app().connect();
        QCOMPARE(home.app().getConfigByname(QStringLiteral("进入系统需验证")), QStringLiteral("yes"));
        QCOMPARE(
            home.db().scalar(QStringLiteral("select count(*) from Products where 商品名='用户商品'")).toInt(),
            1);
        QCOMPARE(readBytes(config), QByteArray("[Info]\nnm=用户\n"));
        QCOMPARE(readBytes(image), QByteArray("user picture"));
        QCOMPARE(QImage(splash).size(), QSize(370, 249));
        QVERIFY(QFileInfo(splash).isWritable());
    }

    // A database file that is there is never replaced, not even when it cannot be read; the
    // connection reports it instead.
    void unreadableDatabaseIsReportedNotReplaced() {
        QTemporaryDir dir;
        const QString run = dir.path() + QLatin1Char('/');
        QVERIFY(QDir(run).mkpath(QStringLiteral("Data")));
        const QByteArray garbage(4096, 'x');
        writeBytes(ProgramFolder::databasePath(run), garbage);

        QString error;
        QVERIFY2(ProgramFolder::prepare(run, &error), qPrintable(error));
        QCOMPARE(readBytes(ProgramFolder::databasePath(run)), garbage);

        core::ScriptedDialogs dialogs;
        core::AppContext app(run, dialogs);
        QVERIFY_THROWS_EXCEPTION(DbError, app.connect());
        QCOMPARE(readBytes(ProgramFolder::databasePath(run)), garbage);
    }

    void failedPrepareIsReported() {
        QTemporaryDir dir;
        const QString run = dir.path() + QLatin1Char('/');
        writeBytes(run + QStringLiteral("Data"), "a file where the folder belongs");
        QString error;
        QVERIFY(!ProgramFolder::prepare(run, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFileInfo::exists(ProgramFolder::databasePath(run)));
    }

    // Neither this start nor one killed half-way earlier leaves a temporary database behind.
    void newDatabaseLeavesNoTemporaryFile() {
        QTemporaryDir dir;
        const QString run = dir.path() + QLatin1Char('/');
        QVERIFY(QDir(run).mkpath(QStringLiteral("Data")));
        writeBytes(run + QStringLiteral("Data/EPData.ini.new-0123"), "half made");
        QString error;
        QVERIFY2(ProgramFolder::prepare(run, &error), qPrintable(error));
        QCOMPARE(QDir(run + QStringLiteral("Data")).entryList(QDir::Files),
                 (QStringList{"EPData.ini", "Template.a01"}));
        QVERIFY(QFileInfo(run + QStringLiteral("Temp/CheckIni")).isDir());
    }

    void runPath_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("--home DIR") << "option";
        QTest::newRow("--home=DIR") << "option=";
        QTest::newRow("OVERPRINT_HOME") << "environment";
    }
    void runPath() {
        QFETCH(QString, how);
        QTemporaryDir dir;
        const QString home = dir.path() + QStringLiteral("/new folder");
        QStringList args{QStringLiteral("overprint")};
        const QByteArray saved = qgetenv("OVERPRINT_HOME");
        qunsetenv("OVERPRINT_HOME");
        if (how == QStringLiteral("option"))
            args << QStringLiteral("--home") << home;
        else if (how == QStringLiteral("option="))
            args << QStringLiteral("--home=") + home;
        else
            qputenv("OVERPRINT_HOME", home.toLocal8Bit());
        const QString run = ProgramFolder::resolveRunPath(args);
        if (saved.isNull())
            qunsetenv("OVERPRINT_HOME");
        else
            qputenv("OVERPRINT_HOME", saved);
        QCOMPARE(run, QDir::toNativeSeparators(home) + QDir::separator());
        QVERIFY(QFileInfo(home).isDir());
    }

    // Without --home and OVERPRINT_HOME the program folder is the user's own under the XDG
    // data folder, made there on the first start.
    void runPathDefaultsToTheUsersDataFolder_data() {
        QTest::addColumn<QString>("xdgDataHome");
        QTest::addColumn<QString>("expected");
        QTest::newRow("XDG_DATA_HOME set") << "<tmp>/xdg data"
                                           << "<tmp>/xdg data/overprint";
        QTest::newRow("XDG_DATA_HOME unset") << QString() << "<tmp>/home/.local/share/overprint";
        QTest::newRow("XDG_DATA_HOME empty") << ""
                                             << "<tmp>/home/.local/share/overprint";
        QTest::newRow("XDG_DATA_HOME relative") << "rel/data"
                                                << "<tmp>/home/.local/share/overprint";
    }
    void runPathDefaultsToTheUsersDataFolder() {
        QFETCH(QString, xdgDataHome);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const auto fill = [&](const QString& text) {
            return QString(text).replace(QStringLiteral("<tmp>"), dir.path());
        };
        const EnvironmentOverride home("OVERPRINT_HOME", QString());
        const EnvironmentOverride user("HOME", dir.path() + QStringLiteral("/home"));
        const EnvironmentOverride xdg("XDG_DATA_HOME",
                                      xdgDataHome.isNull() ? xdgDataHome : fill(xdgDataHome));
        const QString run = ProgramFolder::resolveRunPath({QStringLiteral("overprint")});
        QCOMPARE(run, QDir::toNativeSeparators(fill(expected)) + QDir::separator());
        QVERIFY(QFileInfo(fill(expected)).isDir());
    }

private:
    // Sets (a null value: unsets) an environment variable for one test and puts it back after.
    class EnvironmentOverride {
    public:
        EnvironmentOverride(const char* name, const QString& value) : m_name(name), m_saved(qgetenv(name)) {
            if (value.isNull())
                qunsetenv(name);
            else
                qputenv(name, value.toLocal8Bit());
        }
        ~EnvironmentOverride() {
            if (m_saved.isNull())
                qunsetenv(m_name);
            else
                qputenv(m_name, m_saved);
        }
        Q_DISABLE_COPY_MOVE(EnvironmentOverride)

    private:
        const char* m_name;
        QByteArray m_saved;
    };
};

OVERPRINT_TEST(TestShippedData)
#include "TestShippedData.moc"
