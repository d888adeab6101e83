#include "templates/TemplatePackage.h"

#include "core/AppContext.h"
#include "core/Database.h"
#include "core/IniFile.h"
#include "core/Recordset.h"
#include "core/TemplateStore.h"
#include "core/VersionInfo.h"
#include "templates/TemplateImages.h"

#include <QDir>
#include <QFile>
#include <QUuid>

#include <new>

namespace templates {

namespace {

std::function<void(PackageTransfer::Step)>& stepHook() {
    static std::function<void(PackageTransfer::Step)> hook;
    return hook;
}

void reached(PackageTransfer::Step step) {
    if (stepHook())
        stepHook()(step);
}

// The engine's text of the last package failure, for support.
void storeLastError(core::AppContext& app, const QString& text) {
    core::IniFile& ini = app.userIni();
    ini.writeString(QStringLiteral("ERROR"), QStringLiteral("LASTERROR"), text);
    ini.flush();
}

bool emptyValue(const QVariant& v) {
    return v.isNull() || v.toString().trimmed().isEmpty();
}

// The defaults of a written item, both directions.
QVariantMap itemWithDefaults(QVariantMap item) {
    const auto orDefault = [&item](const char* column, const QVariant& value, bool whenEmpty) {
        const QString c = QLatin1String(column);
        if (whenEmpty ? emptyValue(item.value(c)) : item.value(c).isNull())
            item.insert(c, value);
    };
    orDefault("underline", 0, false);
    orDefault("italic", 0, false);
    orDefault("bold", 0, false);
    // Empty texts are stored as "", as in the shipped data, never as NULL.
    orDefault("breaknum", QStringLiteral(""), false);
    orDefault("breakfontsize", 7, false);
    if (emptyValue(item.value(QStringLiteral("ctllh"))) ||
        item.value(QStringLiteral("ctllh")).toString() == QLatin1String("0"))
        item.insert(QStringLiteral("ctllh"), 50);
    orDefault("srcx", 10, true);
    orDefault("srcy", 10, true);
    orDefault("srcw", 50, true);
    orDefault("srch", 20, true);
    orDefault("needprint", 1, true);
    orDefault("needshow", 1, true);
    orDefault("ctltype", QStringLiteral("Text"), true);
    orDefault("showord", 0, false);
    orDefault("initvalue", QStringLiteral(""), false);
    return item;
}

// Insert of one item with every present column bound, converted to its type.
void insertItem(core::Database& db, const QString& table, int id, const QVariantMap& item) {
    QStringList cols{QStringLiteral("CheckTypeID")};
    QStringList marks{QStringLiteral(":id")};
    core::Params params{{QStringLiteral("id"), id}};
    for (auto it = item.begin(); it != item.end(); ++it) {
        const bool isInt = isIntegerItem(it.key());
        if (!isInt && !isTextItem(it.key()))
            continue;
        cols << it.key();
        marks << QLatin1Char(':') + it.key();
        params.insert(it.key(),
                      isInt ? packageInteger(it.value(), it.key()) : packageText(it.value(), it.key()));
    }
    db.exec(QStringLiteral("insert into ") + table + QStringLiteral(" (") + cols.join(QLatin1Char(',')) +
                QStringLiteral(") values (") + marks.join(QLatin1Char(',')) + QLatin1Char(')'),
            params);
}

} // namespace

void PackageTransfer::setStepHook(std::function<void(Step)> hook) {
    stepHook() = std::move(hook);
}

PackageTransfer::PackageTransfer(core::AppContext& app) : m_app(app) {}

PackageTransfer::Report PackageTransfer::importTemplates(const QString& packagePath,
                                                         const QStringList& names) {
    TemplatePackage package(packagePath);
    Report report;
    for (const QString& name : names)
        importOne(package, name, package.currentLayout(), report);
    return report;
}

void PackageTransfer::importOne(const TemplatePackage& package, const QString& name, bool layout,
                                Report& report) {
    core::Database& db = m_app.db();
    const TemplateImages images(m_app);
    QString image;
    QString failure;
    try {
        const TemplatePackage::Template t = package.load(name);
        const QString fullName =
            packageText(t.row.value(QStringLiteral("typename")), QStringLiteral("typename")).toString();
        QString kind = t.row.value(QStringLiteral("typefirstname")).toString();
        if (kind.isEmpty())
            kind = core::TemplateStore::kindFromTypeName(fullName);
        if (fullName.trimmed().isEmpty() || kind.isEmpty() || kind == fullName)
            throw core::DbError(QStringLiteral("模板名称无效"));
        // The kind's own calibration, read before anything of the namesake goes.
        int x = 0;
        int y = 0;
        bool haveOffsets = false;
        try {
            haveOffsets = m_app.templates().loadUserXYMoveByFirstName(kind, x, y);
        } catch (const core::DbError&) {
            x = packageInteger(t.row.value(QStringLiteral("xmove")), QStringLiteral("xmove")).toInt();
            y = packageInteger(t.row.value(QStringLiteral("ymove")), QStringLiteral("ymove")).toInt();
            haveOffsets = true;
        }
        const core::Recordset namesake =
            db.query(QStringLiteral("select * from CKTypeTable where TypeName=:name order by CheckTypeID"),
                     {{QStringLiteral("name"), fullName}});
        const QString code = core::TemplateStore::getTypeCodeByTypeName(kind);
        int id = 0;
        if (!namesake.isEmpty())
            id = static_cast<int>(namesake.integer(QStringLiteral("CheckTypeID")));
        else if (code.isEmpty())
            throw core::DbError(QStringLiteral("没有找到模板的主类型编码:") + kind);
        else
            id = m_app.templates().loadMaxNewCheckTypeId().toInt();
        const QString oldImage = namesake.isEmpty() ? QString() : namesake.text(QStringLiteral("ImgFile"));
        const bool keepItems = !layout || t.items.isEmpty();

        // The picture is complete under a name of its own before the row points at it.
        image = images.unusedName((code.isEmpty() ? QStringLiteral("img") : code) + QString::number(id));
        images.writePart(image, t.image);
        reached(Step::ImageWritten);
        images.place(image);
        reached(Step::ImagePlaced);

        const auto pkgValue = [&](const char* column, const QVariant& fallback) {
            const QVariant v = t.row.value(QLatin1String(column));
            return v.isNull() ? fallback : v;
        };
        db.begin();
        try {
            db.exec(QStringLiteral("delete from CKTypeTable where CheckTypeID=:id"),
                    {{QStringLiteral("id"), id}});
            const QVariant oldPWidth =
                namesake.isEmpty() ? QVariant(0) : namesake.value(QStringLiteral("PWidth"));
            const QVariant oldPHeight =
                namesake.isEmpty() ? QVariant(0) : namesake.value(QStringLiteral("PHeight"));
            db.exec(
                QStringLiteral(
                    "insert into CKTypeTable (CheckTypeID,TypeName,TypeFirstName,TypeDescribe,XMove,YMove,"
                    "THeight,TWidth,PWidth,PHeight,HVPrint,CheckBoxs,ImgFile,Visiable,IsCommon,ShowOrd,"
                    "IsDefault) values (:id,:name,:kind,:variant,:x,:y,:th,:tw,:pw,:ph,:hv,:boxes,:img,"
                    "'启用','是',0,'0')"),
                {{QStringLiteral("id"), id},
                 {QStringLiteral("name"), fullName},
                 {QStringLiteral("kind"), kind},
                 {QStringLiteral("variant"),
                  packageText(t.row.value(QStringLiteral("typedescribe")), QStringLiteral("TypeDescribe"))},
                 {QStringLiteral("x"), haveOffsets ? x : 0},
                 {QStringLiteral("y"), haveOffsets ? y : 0},
                 {QStringLiteral("th"), packageInteger(pkgValue("theight", 0), QStringLiteral("theight"))},
                 {QStringLiteral("tw"), packageInteger(pkgValue("twidth", 0), QStringLiteral("twidth"))},
                 {QStringLiteral("pw"),
                  packageInteger(pkgValue("pwidth", oldPWidth), QStringLiteral("PWidth"))},
                 {QStringLiteral("ph"),
                  packageInteger(pkgValue("pheight", oldPHeight), QStringLiteral("PHeight"))},
                 {QStringLiteral("hv"),
                  packageText(pkgValue("hvprint", QStringLiteral("0")), QStringLiteral("hvPrint"))},
                 {QStringLiteral("boxes"),
                  packageText(pkgValue("checkboxs", QStringLiteral("")), QStringLiteral("CheckBoxs"))},
                 {QStringLiteral("img"), image}});
            if (!keepItems) {
                db.exec(QStringLiteral("delete from ckControl where CheckTypeID=:id"),
                        {{QStringLiteral("id"), id}});
                for (const QVariantMap& item : t.items)
                    insertItem(db, QStringLiteral("ckControl"), id, itemWithDefaults(item));
            }
            if (layout) {
                db.exec(QStringLiteral("delete from DMTable where CheckTypeId=:id"),
                        {{QStringLiteral("id"), id}});
                for (const QVariantMap& c : t.config)
                    db.exec(
                        QStringLiteral("insert into DMTable (DMName,DMValue,CheckTypeId) values (:n,:v,:id)"),
                        {{QStringLiteral("n"), c.value(QStringLiteral("name"))},
                         {QStringLiteral("v"), c.value(QStringLiteral("value"))},
                         {QStringLiteral("id"), id}});
            }
            reached(Step::RowsWritten);
            db.commit();
        } catch (...) {
            db.rollback();
            throw;
        }
        image.clear();
        reached(Step::Committed);
        if (!oldImage.isEmpty())
            images.removeUnused(oldImage);
        QFile::remove(m_app.templates().cacheFilePath(id));
        ++report.succeeded;
        if (keepItems)
            report.notes << fullName + (namesake.isEmpty()
                                            ? QStringLiteral("：包中没有模板项目")
                                            : QStringLiteral("：包中没有模板项目，保留了原模板的项目"));
        return;
    } catch (const core::DbError& e) {
        failure = e.message();
    } catch (const std::bad_alloc&) {
        failure = QStringLiteral("内存不足，模板过大");
    }
    if (!image.isEmpty())
        images.discard(image);
    ++report.failed;
    report.notes << QStringLiteral("导入失败，单据：") + name + QStringLiteral("（") + failure +
                        QStringLiteral("）");
    storeLastError(m_app, failure);
}

PackageTransfer::Report PackageTransfer::exportTemplates(const QStringList& names, const QString& target) {
    Report report;
    const QString part = target + QStringLiteral(".part");
    QFile::remove(part);
    if (!QFile::copy(m_app.pathOf(QStringLiteral("Data/Template.a01")), part))
        throw core::DbError(QStringLiteral("无法创建票据包：") + target);
    QFile::setPermissions(part, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    {
        core::Database out(QStringLiteral("export-") + QUuid::createUuid().toString(QUuid::WithoutBraces));
        out.open(part);
        // An empty package made by an earlier version lacks the optional columns.
        for (const char* optional : {"Align", "CtlFontColor"})
            if (!out.scalar(QStringLiteral(
                                "select 1 from pragma_table_info('_ckControl') where lower(name)=lower(:c)"),
                            {{QStringLiteral("c"), QLatin1String(optional)}})
                     .isValid())
                out.exec(QStringLiteral("alter table _ckControl add column ") + QLatin1String(optional) +
                         QStringLiteral(" TEXT"));
        out.exec(QStringLiteral("delete from _CKTypeTable"));
        out.exec(QStringLiteral("delete from _ckControl"));
        out.exec(QStringLiteral("delete from _Config"));
        out.exec(QStringLiteral("insert into _Config (DMName,DMValue,CheckTypeId) values ('version',:v,0)"),
                 {{QStringLiteral("v"), core::VersionInfo::applicationVersionText()}});
        core::Database& db = m_app.db();
        for (const QString& name : names) {
            out.begin();
            try {
                const core::Recordset row =
                    db.query(QStringLiteral("select * from CKTypeTable where TypeName=:name"),
                             {{QStringLiteral("name"), name}});
                if (row.isEmpty())
                    throw core::DbError(QStringLiteral("找不到模板"));
                const int id = static_cast<int>(row.integer(QStringLiteral("CheckTypeID")));
                QFile image(QDir(m_app.pathOf(QStringLiteral("Image")))
                                .filePath(row.text(QStringLiteral("ImgFile"))));
                if (row.text(QStringLiteral("ImgFile")).isEmpty() || !image.open(QIODevice::ReadOnly) ||
                    image.size() > TemplatePackage::kMaxImageBytes)
                    throw core::DbError(QStringLiteral("图片获取失败,") + image.fileName());
                const QByteArray bytes = image.readAll();
                out.exec(
                    QStringLiteral(
                        "insert into _CKTypeTable (CheckTypeID,typename,TypeFirstName,TypeDescribe,xmove,"
                        "ymove,theight,twidth,hvPrint,ImgFile,visiable,CheckBoxs,IsCommon,ShowOrd,IsDefault,"
                        "Img_Bytes,Ini_Text,PWidth,PHeight) values (:id,:name,:kind,:variant,:x,:y,:th,:tw,"
                        ":hv,:img,'启用',:boxes,'是','0','默认',:bytes,' ',:pw,:ph)"),
                    {{QStringLiteral("id"), id},
                     {QStringLiteral("name"), name},
                     {QStringLiteral("kind"), row.value(QStringLiteral("TypeFirstName"))},
                     {QStringLiteral("variant"), row.value(QStringLiteral("TypeDescribe"))},
                     {QStringLiteral("x"), row.value(QStringLiteral("XMove"))},
                     {QStringLiteral("y"), row.value(QStringLiteral("YMove"))},
                     {QStringLiteral("th"), row.value(QStringLiteral("THeight"))},
                     {QStringLiteral("tw"), row.value(QStringLiteral("TWidth"))},
                     {QStringLiteral("hv"), row.value(QStringLiteral("HVPrint"))},
                     {QStringLiteral("img"), row.value(QStringLiteral("ImgFile"))},
                     {QStringLiteral("boxes"), row.value(QStringLiteral("CheckBoxs"))},
                     {QStringLiteral("bytes"), bytes},
                     {QStringLiteral("pw"), row.value(QStringLiteral("PWidth"))},
                     {QStringLiteral("ph"), row.value(QStringLiteral("PHeight"))}});
                core::Recordset items =
                    db.query(QStringLiteral("select * from ckControl where CheckTypeID=:id order by ID"),
                             {{QStringLiteral("id"), id}});
                for (items.first(); !items.eof(); items.next()) {
                    QVariantMap item;
                    for (const QString& f : items.fieldNames())
                        item.insert(f.toLower(), items.value(f));
                    insertItem(out, QStringLiteral("_ckControl"), id, itemWithDefaults(item));
                }
                core::Recordset config =
                    db.query(QStringLiteral("select DMName,DMValue from DMTable where CheckTypeId=:id"),
                             {{QStringLiteral("id"), id}});
                for (config.first(); !config.eof(); config.next())
                    out.exec(
                        QStringLiteral("insert into _Config (DMName,DMValue,CheckTypeId) values (:n,:v,:id)"),
                        {{QStringLiteral("n"), config.value(0)},
                         {QStringLiteral("v"), config.value(1)},
                         {QStringLiteral("id"), id}});
                out.commit();
                ++report.succeeded;
            } catch (const core::DbError& e) {
                out.rollback();
                ++report.failed;
                report.notes << QStringLiteral("导出失败，单据：") + name + QStringLiteral("（") +
                                    e.message() + QStringLiteral("）");
                storeLastError(m_app, e.message());
            }
        }
        out.close();
    }
    if (report.succeeded == 0) {
        QFile::remove(part);
        return report;
    }
    QFile::remove(target);
    if (!QFile::rename(part, target)) {
        QFile::remove(part);
        throw core::DbError(QStringLiteral("无法写入票据包：") + target);
    }
    return report;
}

} // namespace templates
