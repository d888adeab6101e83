#include "templates/TemplateAdmin.h"

#include "core/AppContext.h"
#include "core/Database.h"
#include "core/LikePattern.h"
#include "core/Recordset.h"
#include "core/TemplateStore.h"
#include "templates/TemplateImages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace templates {

namespace {

const QString kAllKinds = QStringLiteral("所有模板种类");

core::Params idParam(int id) {
    return {{QStringLiteral("id"), id}};
}

// Columns of a table in their stored order.
QStringList columnsOf(core::Database& db, const QString& table) {
    return db.columns(table);
}

QString joined(const QStringList& columns) {
    QStringList quoted;
    for (const QString& c : columns)
        quoted << QLatin1Char('"') + c + QLatin1Char('"');
    return quoted.join(QLatin1Char(','));
}

} // namespace

TemplateAdmin::TemplateAdmin(core::AppContext& app) : m_app(app) {}

template <typename F> void TemplateAdmin::transaction(F&& work) {
    core::Database& db = m_app.db();
    db.begin();
    try {
        work(db);
        db.commit();
    } catch (...) {
        db.rollback();
        throw;
    }
}

TemplateAdmin::Listing TemplateAdmin::listing(int tab, const QString& kind, const QString& key) {
    Listing out;
    out.sql =
        QStringLiteral("SELECT CheckTypeID as 编号,TypeName as 模板种类,isdefault as 默认,IsCommon as 常用, "
                       "Visiable as 是否启用,TypeFirstName,ImgFile as 底图 From CKTypeTable Where ");
    switch (tab) {
    case 0:
        out.sql += QStringLiteral(" Visiable='启用'");
        break;
    case 1:
        out.sql += QStringLiteral(" Visiable='启用' and IsCommon='是'");
        break;
    case 2:
        out.sql += QStringLiteral(" Visiable='启用' and isDefault='默认'");
        break;
    case 3:
        out.sql += QStringLiteral(" Visiable<>'启用'");
        break;
    default:
        out.sql += QStringLiteral(" 1=1 ");
        break;
    }
    // Typed text is a literal inside the pattern: "50%" finds only itself.
    if (!kind.isEmpty() && kind != kAllKinds) {
        out.sql += QStringLiteral(" and TypeName like :kind escape '\\' ");
        out.params.insert(QStringLiteral("kind"), core::likeLiteral(kind) + QLatin1Char('%'));
    }
    if (!key.isEmpty()) {
        QString upper = key;
        for (QChar& c : upper)
            if (c.unicode() < 128)
                c = c.toUpper();
        out.sql += QStringLiteral(" and TypeName like :key escape '\\'");
        out.params.insert(QStringLiteral("key"),
                          QLatin1Char('%') + core::likeLiteral(upper) + QLatin1Char('%'));
    }
    out.sql += QStringLiteral(" order by TypeName");
    return out;
}

QString TemplateAdmin::cleanName(const QString& typed) {
    static const QRegularExpression removed(QStringLiteral("[()（）'%*?\\s]"));
    QString name = typed.trimmed();
    name.remove(removed);
    return name;
}

QString TemplateAdmin::setDefault(int id) {
    const QString kind = m_app.templates().loadCheckTypeFirstNameByID(id);
    if (kind.isEmpty())
        throw core::DbError(QStringLiteral("找不到模板，ID=") + QString::number(id));
    transaction([&](core::Database& db) {
        db.exec(QStringLiteral("update cktypetable set IsDefault='0' where TypeFirstName=:kind"),
                {{QStringLiteral("kind"), kind}});
        db.exec(QStringLiteral("update cktypetable set IsDefault='默认',visiable='启用',IsCommon='是' where "
                               "checktypeid=:id"),
                idParam(id));
    });
    return kind;
}

int TemplateAdmin::setCommon(const QList<int>& ids, bool common, QList<int>* refused) {
    int count = 0;
    transaction([&](core::Database& db) {
        for (int id : ids) {
            const QVariant mark = db.scalar(
                QStringLiteral("select IsDefault from ckTypeTable where CheckTypeID=:id"), idParam(id));
            if (!mark.isValid())
                continue;
            if (!common && mark.toString() == QStringLiteral("默认")) {
                if (refused)
                    refused->append(id);
                continue;
            }
            db.exec(QStringLiteral(
                        "update ckTypeTable set Visiable='启用', IsCommon=:common where CheckTypeID=:id"),
                    {{QStringLiteral("common"), common ? QStringLiteral("是") : QStringLiteral("否")},
                     {QStringLiteral("id"), id}});
            ++count;
        }
    });
    return count;
}

void TemplateAdmin::setVisible(const QList<int>& ids, bool visible) {
    transaction([&](core::Database& db) {
        for (int id : ids)
            db.exec(QStringLiteral("update CkTypeTable set visiable=:state where checktypeid=:id"),
                    {{QStringLiteral("state"), visible ? QStringLiteral("启用") : QStringLiteral("停用隐藏")},
                     {QStringLiteral("id"), id}});
    });
}

int TemplateAdmin::clone(int sourceId, const QString& name) {
    core::Database& db = m_app.db();
    const core::Recordset source =
        db.query(QStringLiteral("select * from ckTypeTable where checktypeid=:id"), idParam(sourceId));
    if (source.isEmpty())
        throw core::DbError(QStringLiteral("找不到源模板，ID=") + QString::number(sourceId));
    QString kind = source.text(QStringLiteral("TypeFirstName"));
    if (kind.isEmpty())
        kind = core::TemplateStore::kindFromTypeName(source.text(QStringLiteral("TypeName")));
    const QString code = core::TemplateStore::getTypeCodeByTypeName(kind);
    if (code.isEmpty())
        throw core::DbError(QStringLiteral("没有找到模板的主类型编码:") + kind);
    const int newId = m_app.templates().loadMaxNewCheckTypeId().toInt();
    const QString imageDir = m_app.pathOf(QStringLiteral("Image"));
    const QString sourceImage = source.text(QStringLiteral("ImgFile"));
    if (!insideImageFolder(sourceImage) || !QFileInfo(QDir(imageDir).filePath(sourceImage)).isFile())
        throw core::DbError(QStringLiteral("找不到源模板的底图：") + sourceImage);
    // The copy is complete under its name before the row points at it.
    const TemplateImages images(m_app);
    const QString image = images.unusedName(code + QString::number(newId));
    images.copyPart(image, QDir(imageDir).filePath(sourceImage));
    try {
        images.place(image);
        transaction([&](core::Database& db) {
            if (db.scalar(QStringLiteral("select 1 from ckTypeTable where checkTypeId=:id"), idParam(newId))
                    .isValid())
                throw core::DbError(QStringLiteral("模板已经存在，Id=") + QString::number(newId));
            // Every other column comes from the source as stored, NULLs included. The layout
            // cache mark is not copied: the clone's cache is built on first use.
            const QStringList fixed{QStringLiteral("checktypeid"),   QStringLiteral("imgfile"),
                                    QStringLiteral("typefirstname"), QStringLiteral("typename"),
                                    QStringLiteral("typedescribe"),  QStringLiteral("isdefault"),
                                    QStringLiteral("inifile")};
            QStringList copied;
            for (const QString& c : columnsOf(db, QStringLiteral("CKTypeTable")))
                if (!fixed.contains(c.toLower()))
                    copied << c;
            db.exec(QStringLiteral("insert into CKTypeTable (CheckTypeID,ImgFile,TypeFirstName,TypeName,"
                                   "TypeDescribe,IsDefault,IniFile,") +
                        joined(copied) + QStringLiteral(") select :id,:img,:kind,:full,:name,'0','',") +
                        joined(copied) + QStringLiteral(" from CKTypeTable where CheckTypeID=:src"),
                    {{QStringLiteral("id"), newId},
                     {QStringLiteral("img"), image},
                     {QStringLiteral("kind"), kind},
                     {QStringLiteral("full"), kind + QStringLiteral("（") + name + QStringLiteral("）")},
                     {QStringLiteral("name"), name},
                     {QStringLiteral("src"), sourceId}});

            if (!db.scalar(QStringLiteral("select 1 from ckControl where checktypeid=:id"), idParam(sourceId))
                     .isValid())
                throw core::DbError(QStringLiteral("找不到源模板细节数据，ID=") + QString::number(sourceId));
            if (db.scalar(QStringLiteral("select 1 from ckControl where checktypeid=:id"), idParam(newId))
                    .isValid())
                throw core::DbError(QStringLiteral("模板已经存在，Id=") + QString::number(newId));
            QStringList items;
            for (const QString& c : columnsOf(db, QStringLiteral("ckControl")))
                if (c.compare(QLatin1String("ID"), Qt::CaseInsensitive) != 0 &&
                    c.compare(QLatin1String("CheckTypeID"), Qt::CaseInsensitive) != 0)
                    items << c;
            db.exec(QStringLiteral("insert into ckControl (CheckTypeID,") + joined(items) +
                        QStringLiteral(") select :id,") + joined(items) +
                        QStringLiteral(" from ckControl where CheckTypeID=:src order by ID"),
                    {{QStringLiteral("id"), newId}, {QStringLiteral("src"), sourceId}});
        });
    } catch (...) {
        images.discard(image);
        throw;
    }
    return newId;
}

void TemplateAdmin::rename(int id, const QString& name) {
    const QString kind = m_app.templates().loadCheckTypeFirstNameByID(id);
    if (kind.isEmpty())
        throw core::DbError(QStringLiteral("找不到模板，ID=") + QString::number(id));
    transaction([&](core::Database& db) {
        db.exec(
            QStringLiteral("update ckTypeTable set TypeDescribe=:name, TypeFirstName=:kind, TypeName=:full "
                           "where CheckTypeId=:id"),
            {{QStringLiteral("name"), name},
             {QStringLiteral("kind"), kind},
             {QStringLiteral("full"), kind + QStringLiteral("（") + name + QStringLiteral("）")},
             {QStringLiteral("id"), id}});
    });
}

bool TemplateAdmin::insideImageFolder(const QString& imgFile) const {
    if (imgFile.trimmed().isEmpty() || imgFile.contains(QLatin1Char('/')) ||
        imgFile.contains(QLatin1Char('\\')) || imgFile.contains(QLatin1String("..")) ||
        imgFile.contains(QLatin1Char(':')))
        return false;
    const QString dir = QDir(m_app.pathOf(QStringLiteral("Image"))).canonicalPath();
    const QFileInfo file(QDir(dir).filePath(imgFile));
    return !dir.isEmpty() && file.absolutePath() == dir;
}

bool TemplateAdmin::imageMayBeRemoved(const QString& imgFile) const {
    return insideImageFolder(imgFile) && !imgFile.startsWith(QLatin1String("SYS_"), Qt::CaseInsensitive);
}

namespace {

TemplateAdmin::Removal readRemoval(core::Database& db, int id) {
    TemplateAdmin::Removal out;
    const core::Recordset row = db.query(
        QStringLiteral("select TypeName, TypeFirstName, IsDefault from ckTypeTable where CheckTypeID=:id"),
        idParam(id));
    if (row.isEmpty())
        return out;
    out.found = true;
    out.name = row.text(QStringLiteral("TypeName"));
    out.kind = row.text(QStringLiteral("TypeFirstName"));
    out.isDefault = row.text(QStringLiteral("IsDefault")) == QStringLiteral("默认");
    const core::Recordset next = db.query(
        QStringLiteral("select CheckTypeID, TypeName from ckTypeTable where TypeFirstName=:kind and "
                       "CheckTypeID<>:id order by case when Visiable='启用' then 0 else 1 end, CheckTypeID "
                       "limit 1"),
        {{QStringLiteral("kind"), out.kind}, {QStringLiteral("id"), id}});
    out.last = next.isEmpty();
    if (!out.last) {
        out.successorId = static_cast<int>(next.integer(QStringLiteral("CheckTypeID")));
        out.successorName = next.text(QStringLiteral("TypeName"));
    }
    return out;
}

} // namespace

TemplateAdmin::Removal TemplateAdmin::removalOf(int id) const {
    return readRemoval(m_app.db(), id);
}

void TemplateAdmin::remove(int id) {
    QString image;
    transaction([&](core::Database& db) {
        const Removal removal = readRemoval(db, id);
        if (removal.found && removal.last)
            throw core::DbError(QStringLiteral("【") + removal.name + QStringLiteral("】是") + removal.kind +
                                QStringLiteral("唯一的模板，不能删除"));
        image =
            db.scalar(QStringLiteral("select ImgFile from ckTypeTable where CheckTypeID=:id"), idParam(id))
                .toString();
        db.exec(QStringLiteral("delete from ckcontrol where checktypeid=:id"), idParam(id));
        db.exec(QStringLiteral("delete from ckTypeTable where checktypeid=:id"), idParam(id));
        db.exec(QStringLiteral("delete from DMTable where checktypeid=:id"), idParam(id));
        // A default is enabled and common, like one set by hand.
        if (removal.isDefault)
            db.exec(QStringLiteral("update cktypetable set IsDefault='默认',visiable='启用',IsCommon='是' "
                                   "where checktypeid=:id"),
                    idParam(removal.successorId));
    });
    // The layout cache of a deleted id would otherwise be taken by the next template of that id.
    QFile::remove(m_app.templates().cacheFilePath(id));
    TemplateImages(m_app).removeUnused(image);
}

} // namespace templates
