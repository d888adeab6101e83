#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include <QTest>
#include <memory>

using core::Params;

// Every statement of the option and template services, in the text the services run it (values
// bound), against a database built from the shipped data: the rows it gives or the effect it has.
class TestStoreStatements : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> m_home;

    static QStringList firstColumn(core::Recordset rows) {
        QStringList values;
        for (rows.first(); !rows.eof(); rows.next())
            values.append(rows.text(0));
        return values;
    }

private slots:
    void init() {
        m_home = std::make_unique<TestHome>();
        QVERIFY2(m_home->isValid(), qPrintable(m_home->error()));
        core::Database& db = m_home->db();
        // A little more than the shipped rows, so every statement has something to find or remove.
        db.exec(
            QStringLiteral("insert into DMTable (DMName,DMValue,CheckTypeId) values ('cfgPrintDH','1',1), "
                           "('cfgShared','1',0), ('cfgOrphan','1',999)"));
        db.exec(QStringLiteral(
            "insert into CKTypeTable (CheckTypeID,TypeName,TypeFirstName,TypeDescribe,Visiable,"
            "IsDefault,IsCommon,ImgFile) values (30,'出货单（王''s店）','出货单','王''s店','启用','0',"
            "'是','shd30.jpg'), (31,'旧单（一）','旧单','一','启用','0','否','')"));
        db.exec(QStringLiteral(
            "insert into ckControl (CheckTypeID,CtlName) values (999,'zdPJBH'), (1,'zdNoSuch')"));
        db.exec(QStringLiteral("insert into DataCheckFHDSHDDetail (票据编号) values ('NO-NOTE')"));
        db.exec(QStringLiteral("insert into configtable (cname,cvalue) values (' 带空白 ','v')"));
    }
    void cleanup() { m_home.reset(); }

    void statement_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<Params>("params");
        QTest::addColumn<int>("affected");     // rows changed, or -1 for a statement with rows
        QTest::addColumn<QString>("check");    // a read after the statement; empty: the statement's rows
        QTest::addColumn<QStringList>("rows"); // first column of those rows, in order; leading rows only
        QTest::addColumn<int>("count");        // number of those rows, -1 when not fixed by the data

        const auto p = [](std::initializer_list<std::pair<const char*, QVariant>> pairs) {
            Params params;
            for (const auto& [key, value] : pairs)
                params.insert(QLatin1String(key), value);
            return params;
        };

        // Options.
        QTest::newRow("option read trims the stored name")
            << "Select cvalue From configtable Where ltrim(rtrim(cname))=:pname" << p({{"pname", "带空白"}})
            << -1 << "" << QStringList{"v"} << 1;
        QTest::newRow("option write")
            << "update configtable set cvalue=:pvalue Where cname=:pname"
            << p({{"pvalue", "yes"}, {"pname", "进入系统需验证"}}) << 1
            << "select cvalue from configtable where cname='进入系统需验证'" << QStringList{"yes"} << 1;
        QTest::newRow("option write matches untrimmed")
            << "update configtable set cvalue=:pvalue Where cname=:pname"
            << p({{"pvalue", "x"}, {"pname", "带空白"}}) << 0 << "" << QStringList() << -1;
        QTest::newRow("option insert")
            << "insert into configtable (cvalue,cname) values(:pvalue,:pname)"
            << p({{"pvalue", "O'Brien"}, {"pname", "王's店"}}) << 1
            << "select cvalue from configtable where cname='王''s店'" << QStringList{"O'Brien"} << 1;
        QTest::newRow("default issuer") << "Select * from CKPersonalInfoTable where 分组='默认出票人'"
                                        << Params() << -1 << "" << QStringList() << -1;

        // Template look-ups.
        QTest::newRow("id by kind and variant")
            << "select CheckTypeId from ckTypeTable where TypeFirstName=:kind and TypeDescribe=:variant"
            << p({{"kind", "出货单"}, {"variant", "王's店"}}) << -1 << "" << QStringList{"30"} << 1;
        QTest::newRow("id by full name")
            << "select CheckTypeId from ckTypeTable where TypeName=:name" << p({{"name", "出货单（标准）"}})
            << -1 << "" << QStringList{"1"} << 1;
        QTest::newRow("full name by id")
            << "select TypeName from ckTypeTable where CheckTypeId=:id" << p({{"id", 2}}) << -1 << ""
            << QStringList{"出货单（三联241）"} << 1;
        QTest::newRow("first kind") << "select top 1 CheckTypeName from NameDict" << Params() << -1 << ""
                                    << QStringList{"出货单"} << 1;
        QTest::newRow("kind and full name by id")
            << "select TypeFirstname,TypeName from ckTypeTable where CheckTypeId=:id" << p({{"id", 1}}) << -1
            << "" << QStringList{"出货单"} << 1;
        QTest::newRow("variant by id") << "select TypeDescribe from ckTypeTable where CheckTypeId=:id"
                                       << p({{"id", 1}}) << -1 << "" << QStringList{"标准"} << 1;
        QTest::newRow("kinds") << "select distinct CheckTypeName from NameDict order by CheckTypeName"
                               << Params() << -1 << "" << QStringList{"出货单"} << 1;
        QTest::newRow("common variants") << "Select distinct TypeDescribe,IsDefault from CKTypeTable where "
                                            "Visiable='启用' and IsCommon='是' and "
                                            "TypeFirstName=:kind"
                                         << p({{"kind", "出货单"}}) << -1 << "" << QStringList() << 3;
        QTest::newRow("enabled variants")
            << "select TypeDescribe from ckTypeTable where visiable='启用' and TypeFirstName=:kind  order by "
               "TypeDescribe"
            << p({{"kind", "出货单"}}) << -1 << "" << QStringList{"三联241", "标准", "王's店"} << 3;
        QTest::newRow("enabled full names of a kind")
            << "select TypeName from ckTypeTable where visiable='启用' and TypeFirstName=:kind order by "
               "TypeName"
            << p({{"kind", "出货单"}}) << -1 << "" << QStringList{"出货单（三联241）", "出货单（标准）"} << 3;
        QTest::newRow("enabled full names")
            << "select TypeName from ckTypeTable where visiable='启用' order by TypeName" << Params() << -1
            << "" << QStringList{"出货单（三联241）"} << 4;
        QTest::newRow("marked default")
            << "Select CheckTypeID From ckTypeTable Where IsDefault='默认' and TypeFirstName=:kind"
            << p({{"kind", "出货单"}}) << -1 << "" << QStringList{"1"} << 1;
        QTest::newRow("lowest enabled")
            << "Select CheckTypeID From ckTypeTable Where visiable='启用' and TypeFirstName=:kind order by "
               "CheckTypeId"
            << p({{"kind", "出货单"}}) << -1 << "" << QStringList{"1", "2", "30"} << 3;
        QTest::newRow("variant exists")
            << "select 1 from CkTypeTable where TypeFirstName=:kind and TypeDescribe=:variant"
            << p({{"kind", "出货单"}, {"variant", "三联241"}}) << -1 << "" << QStringList{"1"} << 1;
        QTest::newRow("offsets")
            << "select XMove,YMove from CkTypeTable where TypeFirstName=:kind order by IsCommon,IsDefault"
            << p({{"kind", "出货单"}}) << -1 << "" << QStringList{"0"} << 3;
        QTest::newRow("next id") << "select max(checktypeid)+1 as MaxId from CkTypeTable" << Params() << -1
                                 << "" << QStringList{"32"} << 1;

        // Layout cache.
        QTest::newRow("item names for the cache")
            << "select CtlName from NameDict where CheckTypeName=:Name" << p({{"Name", "出货单"}}) << -1 << ""
            << QStringList{"zdTitleFirst", "zdTitleSub", "zdPJBH"} << -1;
        QTest::newRow("layout rows")
            << "select ucase(CtlName) as CtlName,SrcX,SrcY,SrcH,SrcW,NeedShow,InitValue from CKControl where "
               "CheckTypeId=:id"
            << p({{"id", 1}}) << -1 << "" << QStringList{"ZDTITLEFIRST", "ZDTITLESUB", "ZDPJBH"} << -1;
        QTest::newRow("own settings only")
            << "select * from DMTable where CheckTypeId=:id and DMName like 'cfg%'" << p({{"id", 1}}) << -1
            << "select DMName from DMTable where CheckTypeId=1 and DMName like 'cfg%'"
            << QStringList{"cfgPrintDH"} << 1;
        QTest::newRow("marker set") << "update ckTypeTable set IniFile=:file where CheckTypeId=:id"
                                    << p({{"file", "1.ini"}, {"id", 1}}) << 1
                                    << "select IniFile from ckTypeTable where CheckTypeId=1"
                                    << QStringList{"1.ini"} << 1;
        QTest::newRow("marker read")
            << "select IniFile from ckTypeTable where CheckTypeId=:id and IniFile<>'' and IniFile is not null"
            << p({{"id", 1}}) << -1 << "" << QStringList() << 0;
        QTest::newRow("item names for placing")
            << "select ctlName from NameDict where CheckTypeName=:kind" << p({{"kind", "出货单"}}) << -1 << ""
            << QStringList{"zdTitleFirst"} << -1;
        QTest::newRow("setting of a template, letter case ignored")
            << "Select * From DMTable Where CheckTypeID=:id and ucase(DMName)=:name"
            << p({{"id", 1}, {"name", "CFGPRINTDH"}}) << -1
            << "select DMValue From DMTable Where CheckTypeID=1 and ucase(DMName)='CFGPRINTDH'"
            << QStringList{"1"} << 1;

        // Cache clean.
        QTest::newRow("clear markers")
            << "update ckTypeTable set IniFile=''" << Params() << 4
            << "select count(*) from ckTypeTable where IniFile<>''" << QStringList{"0"} << 1;
        QTest::newRow("templates of unknown kinds")
            << "DELETE * FROM ckTypeTable WHERE TypeFirstName<>'' and TypeFirstName is not null and "
               "TypeFirstName not "
               "in(select CheckTypeName from namedict)"
            << Params() << 1 << "select CheckTypeID from ckTypeTable order by CheckTypeID"
            << QStringList{"1", "2", "30"} << 3;
        QTest::newRow("layouts of missing templates")
            << "DELETE * FROM ckcontrol WHERE checktypeid not in(select checktypeid from cktypetable)"
            << Params() << 1 << "select count(*) from ckcontrol where checktypeid=999" << QStringList{"0"}
            << 1;
        QTest::newRow("layouts of unknown items")
            << "DELETE * FROM ckcontrol WHERE ctlName not in(select CtlName from namedict);" << Params() << 1
            << "select count(*) from ckcontrol where ctlName='zdNoSuch'" << QStringList{"0"} << 1;
        QTest::newRow("settings of missing templates")
            << "DELETE * FROM DMTable WHERE checktypeid not in(select checktypeid from cktypetable) and "
               "CheckTypeid<>0"
            << Params() << 1 << "select DMName from DMTable where DMName like 'cfg%' order by DMName"
            << QStringList{"cfgPrintDH", "cfgShared"} << 2;
        QTest::newRow("goods lines of missing notes")
            << "DELETE * FROM DataCheckFHDSHDDetail WHERE 票据编号 not in(select 票据编号 from "
               "DataCheckFHDSHD)"
            << Params() << 1 << "select count(*) from DataCheckFHDSHDDetail" << QStringList{"0"} << 1;
        QTest::newRow("every layout row")
            << "select * from CKControl" << Params() << -1 << "" << QStringList() << -1;
        QTest::newRow("item label")
            << "select ctlLabel from NameDict where CtlName=:name and CheckTypeName=:kind"
            << p({{"name", "ZDPJBH"}, {"kind", "出货单"}}) << -1 << "" << QStringList{"票据编号"} << 1;
        QTest::newRow("template images") << "select ImgFile from CKTypeTable" << Params() << -1 << ""
                                         << QStringList{"shd1.jpg", "shd2.jpg", "shd30.jpg"} << 4;
    }
    void statement() {
        QFETCH(QString, sql);
        QFETCH(Params, params);
        QFETCH(int, affected);
        QFETCH(QString, check);
        QFETCH(QStringList, rows);
        QFETCH(int, count);
        core::Database& db = m_home->db();
        QStringList values;
        try {
            if (affected >= 0) {
                QCOMPARE(db.exec(sql, params), affected);
            } else {
                const core::Recordset result = db.query(sql, params);
                values = firstColumn(result);
            }
            if (!check.isEmpty())
                values = firstColumn(db.query(check));
        } catch (const core::DbError& e) {
            QFAIL(qPrintable(e.message()));
        }
        if (count >= 0)
            QCOMPARE(values.size(), count);
        QCOMPARE(values.mid(0, rows.size()), rows);
    }
};

OVERPRINT_TEST(TestStoreStatements)
#include "TestStoreStatements.moc"
