#include "core/TemplateStore.h"

#include "core/AppContext.h"
#include "core/ColumnOps.h"
#include "core/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QUuid>

namespace core {

namespace {

const QString kFullOpen = QStringLiteral("（");
const QString kFullClose = QStringLiteral("）");

Params idParam(int id) {
    return {{QStringLiteral("id"), id}};
}

Params kindParam(const QString& kind) {
    return {{QStringLiteral("kind"), kind}};
}

QStringList column(const Recordset& rows, const QString& name) {
    Recordset walk = rows;
    QStringList values;
    for (walk.first(); !walk.eof(); walk.next())
        values.append(walk.text(name));
    return values;
}

// Runs a group of changes as one: all of them or none.
template <typename Work> void inTransaction(Database& db, Work work) {
    if (db.inTransaction()) {
        work();
        return;
    }
    db.begin();
    try {
        work();
        db.commit();
    } catch (...) {
        db.rollback();
        throw;
    }
}

} // namespace

TemplateStore::TemplateStore(AppContext& app) : m_app(app) {}

int TemplateStore::loadCheckTypeIDByFirstAndLastName(const QString& kind, const QString& variant) {
    try {
        QVariant id = m_app.db().scalar(
            QStringLiteral(
                "select CheckTypeId from ckTypeTable where TypeFirstName=:kind and TypeDescribe=:variant"),
            {{QStringLiteral("kind"), kind}, {QStringLiteral("variant"), variant}});
        if (!id.isValid())
            id = m_app.db().scalar(QStringLiteral("select CheckTypeId from ckTypeTable where TypeName=:name"),
                                   {{QStringLiteral("name"), kind + kFullOpen + variant + kFullClose}});
        return id.isValid() ? id.toInt() : 0;
    } catch (const DbError&) {
        return 0;
    }
}

QString TemplateStore::loadCheckTypeIDByTypeFullName(const QString& fullName) {
    try {
        const QVariant id =
            m_app.db().scalar(QStringLiteral("select CheckTypeId from ckTypeTable where TypeName=:name"),
                              {{QStringLiteral("name"), fullName}});
        return id.isValid() ? QString::number(id.toLongLong()) : QStringLiteral("0");
    } catch (const DbError&) {
        return QStringLiteral("0");
    }
}

QString TemplateStore::loadCheckTypeFullNameByID(int id) {
    try {
        return m_app.db()
            .scalar(QStringLiteral("select TypeName from ckTypeTable where CheckTypeId=:id"), idParam(id))
            .toString();
    } catch (const DbError&) {
        return QString();
    }
}

QString TemplateStore::loadDefaultTypeFirstName() {
    try {
        return m_app.db().scalar(QStringLiteral("select top 1 CheckTypeName from NameDict")).toString();
    } catch (const DbError&) {
        return QString();
    }
}

QString TemplateStore::kindFromTypeName(const QString& typeName) {
    int at = typeName.indexOf(kFullOpen);
    if (at < 0)
        at = typeName.indexOf(QLatin1Char('('));
    return at < 0 ? typeName : typeName.left(at);
}

QString TemplateStore::loadCheckTypeFirstNameByID(int id) {
    try {
        const Recordset rows = m_app.db().query(
            QStringLiteral("select TypeFirstname,TypeName from ckTypeTable where CheckTypeId=:id"),
            idParam(id));
        if (rows.isEmpty())
            return QString();
        const QString kind = rows.text(QStringLiteral("TypeFirstname"));
        return kind.isEmpty() ? kindFromTypeName(rows.text(QStringLiteral("TypeName"))) : kind;
    } catch (const DbError& e) {
        // Databases of an earlier version lack the kind column: add it and fill it from the names.
        if (e.message().contains(QLatin1String("TypeFirstname"), Qt::CaseInsensitive))
            ColumnOps(m_app).addTypeFirstNameColumn();
        return QString();
    }
}

// The default template of each kind stays a common one, so the entry window keeps its tab.
void TemplateStore::addIsCommonColumn() {
    if (ColumnOps(m_app).aAddColumn(QStringLiteral("CKTypeTable"), QStringLiteral("IsCommon"), nullptr,
                                    QStringLiteral("10"), QStringLiteral("String")))
        m_app.db().exec(QStringLiteral("update ckTypeTable set IsCommon='是' where IsDefault='默认'"));
}

QString TemplateStore::loadCheckTypeLastNameByID(int id) {
    try {
        return m_app.db()
            .scalar(QStringLiteral("select TypeDescribe from ckTypeTable where CheckTypeId=:id"), idParam(id))
            .toString();
    } catch (const DbError&) {
        return QString();
    }
}

QStringList TemplateStore::loadCheckTypeFirstNameList() {
    try {
        return column(m_app.db().query(QStringLiteral(
                          "select distinct CheckTypeName from NameDict order by CheckTypeName")),
                      QStringLiteral("CheckTypeName"));
    } catch (const DbError&) {
        return {};
    }
}

QStringList TemplateStore::loadCommonTypeLastNameList(const QString& kind) {
    QStringList variants;
    if (kind.isEmpty())
        return variants;
    try {
        Recordset rows = m_app.db().query(
            QStringLiteral(
                "Select TypeDescribe,IsDefault from CKTypeTable where Visiable='启用' and "
                "IsCommon='是' and TypeFirstName=:kind group by TypeDescribe,IsDefault order by min(rowid)"),
            kindParam(kind));
        for (rows.first(); !rows.eof(); rows.next()) {
            const QString variant = rows.text(QStringLiteral("TypeDescribe"));
            if (rows.text(QStringLiteral("IsDefault")) == QStringLiteral("默认"))
                variants.prepend(variant);
            else
                variants.append(variant);
        }
    } catch (const DbError& e) {
        if (e.message().contains(QLatin1String("IsCommon"), Qt::CaseInsensitive)) {
            try {
                addIsCommonColumn();
            } catch (const DbError&) {
                // Shown below all the same: a restart runs the upgrade again.
            }
            m_app.dialogs().message(QStringLiteral("请尝试重新启动软件！"));
        }
        variants.clear();
    }
    return variants;
}

QStringList TemplateStore::loadCheckTypeLastNameList(const QString& kind) {
    if (kind.isEmpty()) {
        m_app.dialogs().message(QStringLiteral("没有指定单据类型，无法调入确定的模板种类！"));
        return {};
    }
    try {
        return column(
            m_app.db().query(QStringLiteral("select TypeDescribe from ckTypeTable where visiable='启用' "
                                            "and TypeFirstName=:kind  order by TypeDescribe"),
                             kindParam(kind)),
            QStringLiteral("TypeDescribe"));
    } catch (const DbError&) {
        return {};
    }
}

QStringList TemplateStore::loadCheckTypeFullNameList(const QString& kind) {
    try {
        const Recordset rows =
            kind.isEmpty() ? m_app.db().query(QStringLiteral(
                                 "select TypeName from ckTypeTable where visiable='启用' order by TypeName"))
                           : m_app.db().query(
                                 QStringLiteral("select TypeName from ckTypeTable where visiable='启用' and "
                                                "TypeFirstName=:kind order by TypeName"),
                                 kindParam(kind));
        return column(rows, QStringLiteral("TypeName"));
    } catch (const DbError&) {
        return {};
    }
}

int TemplateStore::loadDefaultCheckTypeId(const QString& kind) {
    try {
        const QVariant marked = m_app.db().scalar(
            QStringLiteral(
                "Select CheckTypeID From ckTypeTable Where IsDefault='默认' and TypeFirstName=:kind"),
            kindParam(kind));
        if (marked.isValid())
            return marked.toInt();
        m_app.dialogs().message(QStringLiteral("没有设定默认的") + kind +
                                QStringLiteral(",请到【系统管理】-【模板管理】，设定!"));
        const QVariant lowest =
            m_app.db().scalar(QStringLiteral("Select CheckTypeID From ckTypeTable Where "
                                             "visiable='启用' and TypeFirstName=:kind order by "
                                             "CheckTypeId"),
                              kindParam(kind));
        if (lowest.isValid())
            return lowest.toInt();
        m_app.dialogs().message(QStringLiteral("没有找到任何启用的【") + kind + QStringLiteral("】模板！"));
    } catch (const DbError&) {
        // A look-up: the failure reads as "no template".
    }
    return -1;
}

bool TemplateStore::CheckTypeExists(const QString& kind, const QString& variant) {
    try {
        return m_app.db()
            .scalar(QStringLiteral(
                        "select 1 from CkTypeTable where TypeFirstName=:kind and TypeDescribe=:variant"),
                    {{QStringLiteral("kind"), kind}, {QStringLiteral("variant"), variant}})
            .isValid();
    } catch (const DbError& e) {
        throw DbError(QStringLiteral("CheckTypeExists:") + e.message());
    }
}

bool TemplateStore::loadUserXYMoveByFirstName(const QString& kind, int& x, int& y) {
    try {
        const Recordset rows = m_app.db().query(
            QStringLiteral(
                "select XMove,YMove from CkTypeTable where TypeFirstName=:kind order by IsCommon,IsDefault"),
            kindParam(kind));
        if (rows.isEmpty())
            return false;
        x = static_cast<int>(rows.integer(QStringLiteral("XMove")));
        y = static_cast<int>(rows.integer(QStringLiteral("YMove")));
        return true;
    } catch (const DbError& e) {
        throw DbError(QStringLiteral("用户常用单据偏移参数获取失败!:") + e.message());
    }
}

QString TemplateStore::loadMaxNewCheckTypeId() {
    try {
        const QVariant next =
            m_app.db().scalar(QStringLiteral("select max(checktypeid)+1 as MaxId from CkTypeTable"));
        return next.isNull() ? QStringLiteral("1") : QString::number(next.toLongLong());
    } catch (const DbError& e) {
        throw DbError(QStringLiteral("NewMaxCheckTypeId:") + e.message());
    }
}

QString TemplateStore::getTypeCodeByTypeName(const QString& kind) {
    static const QHash<QString, QString> codes{
        {QStringLiteral("电汇单"), QStringLiteral("dhd")},
        {QStringLiteral("支票"), QStringLiteral("zp")},
        {QStringLiteral("进账单"), QStringLiteral("jzd")},
        {QStringLiteral("汇票申请书"), QStringLiteral("hp")},
        {QStringLiteral("承兑汇票"), QStringLiteral("cdhp")},
        {QStringLiteral("缴款单"), QStringLiteral("jkd")},
        {QStringLiteral("境外汇款申请书"), QStringLiteral("jwh")},
        {QStringLiteral("贷记凭证"), QStringLiteral("djpz")},
        {QStringLiteral("送货单"), QStringLiteral("shd")},
        {QStringLiteral("出货单"), QStringLiteral("shd")},
        {QStringLiteral("快递单"), QStringLiteral("kdd")},
        {QStringLiteral("海关缴款单"), QStringLiteral("hgjkd")},
        {QStringLiteral("海关载货单"), QStringLiteral("hgzhd")},
        {QStringLiteral("普通发票收据"), QStringLiteral("fpiv")},
        {QStringLiteral("发票及收据"), QStringLiteral("fpiv")},
        {QStringLiteral("货运发票"), QStringLiteral("hyfp")},
        {QStringLiteral("出口商品发票"), QStringLiteral("cksp")},
        {QStringLiteral("国际货运发票"), QStringLiteral("ivIntel")},
        {QStringLiteral("定制单"), QStringLiteral("def")},
    };
    return codes.value(kind);
}

QString TemplateStore::cacheFilePath(int id) const {
    return m_app.pathOf(QStringLiteral("Temp/CheckIni/") + QString::number(id) + QStringLiteral(".ini"));
}

namespace {

const QString kStampSection = QStringLiteral("cache");
const QString kStampKey = QStringLiteral("stamp");

// The template's mark: empty while its layout changed since the last build of a cache, else the
// stamp of that build. Every seat compares its own cache file's stamp with it.
QString cacheMark(Database& db, int id) {
    return db
        .scalar(QStringLiteral("select IniFile from ckTypeTable where CheckTypeId=:id"),
                {{QStringLiteral("id"), id}})
        .toString();
}

} // namespace

void TemplateStore::buildCheckIniFile(int id) {
    try {
        QDir().mkpath(m_app.pathOf(QStringLiteral("Temp/CheckIni")));
        IniFile ini(cacheFilePath(id));
        for (const char* section :
             {"view", "viewx", "viewy", "viewh", "vieww", "viewv", "viewdv", "CheckConfig", "cache"})
            ini.eraseSection(QLatin1String(section));
        const QString markBefore = cacheMark(m_app.db(), id);

        Database& db = m_app.db();
        QString items;
        const QStringList names =
            column(db.query(QStringLiteral("select CtlName from NameDict where CheckTypeName=:Name"),
                            {{QStringLiteral("Name"), loadCheckTypeFirstNameByID(id)}}),
                   QStringLiteral("CtlName"));
        for (const QString& name : names)
            items += name + QLatin1Char(',');
        ini.writeString(QStringLiteral("view"), QStringLiteral("ConfigItems"), items);

        Recordset layout = db.query(
            QStringLiteral("select ucase(CtlName) as CtlName,SrcX,SrcY,SrcH,SrcW,NeedShow,InitValue from "
                           "CKControl where CheckTypeId=:id"),
            idParam(id));
        static const struct {
            const char* section;
            const char* suffix;
            const char* field;
        } keys[] = {{"viewx", ".x", "SrcX"}, {"viewy", ".y", "SrcY"},     {"viewh", ".h", "SrcH"},
                    {"vieww", ".w", "SrcW"}, {"viewv", ".v", "NeedShow"}, {"viewdv", ".dv", "InitValue"}};
        for (layout.first(); !layout.eof(); layout.next()) {
            const QString name = layout.text(QStringLiteral("CtlName"));
            for (const auto& key : keys)
                ini.writeString(QLatin1String(key.section), name + QLatin1String(key.suffix),
                                layout.text(QLatin1String(key.field)));
        }

        Recordset settings =
            db.query(QStringLiteral("select * from DMTable where CheckTypeId=:id and DMName like 'cfg%'"),
                     idParam(id));
        for (settings.first(); !settings.eof(); settings.next())
            ini.writeString(QStringLiteral("CheckConfig"), settings.text(QStringLiteral("DMName")),
                            settings.text(QStringLiteral("DMValue")));

        // A layout changed since the last build gets a new stamp, which tells the other seats
        // on the same store that their caches are stale; a seat catching up takes the stamp
        // as it stands. Marked only once the file is really written, so a failed write is
        // retried on next open.
        QString stamp = markBefore;
        if (stamp.isEmpty())
            stamp = QString::number(id) + QStringLiteral(".ini@") +
                    QUuid::createUuid().toString(QUuid::Id128).left(12);
        ini.writeString(kStampSection, kStampKey, stamp);
        if (!ini.flush())
            return;
        if (markBefore.isEmpty() &&
            db.exec(QStringLiteral("update ckTypeTable set IniFile=:file where CheckTypeId=:id and "
                                   "(IniFile is null or IniFile='')"),
                    {{QStringLiteral("file"), stamp}, {QStringLiteral("id"), id}}) == 0) {
            // Another seat stamped the same layout first: the same content under its stamp.
            ini.writeString(kStampSection, kStampKey, cacheMark(db, id));
            ini.flush();
        }
    } catch (const DbError&) {
        // The template keeps an empty IniFile, so the next open tries again.
    }
}

std::unique_ptr<IniFile> TemplateStore::OpenCheckInif(int id) {
    QString mark;
    try {
        mark = cacheMark(m_app.db(), id);
    } catch (const DbError&) {
        mark.clear();
    }
    QDir().mkpath(m_app.pathOf(QStringLiteral("Temp/CheckIni")));
    auto ini = std::make_unique<IniFile>(cacheFilePath(id));
    if (!mark.isEmpty() && ini->readString(kStampSection, kStampKey) == mark)
        return ini;
    ini.reset();
    buildCheckIniFile(id);
    return std::make_unique<IniFile>(cacheFilePath(id));
}

QString TemplateStore::getInifCheckConfigByName(const IniFile* ini, const QString& name) {
    return ini ? ini->readString(QStringLiteral("CheckConfig"), name) : QString();
}

bool TemplateStore::setCheckConfigByName(int id, const QString& name, const QString& value) {
    try {
        Recordset rows = m_app.db().query(
            QStringLiteral("Select * From DMTable Where CheckTypeID=:id and ucase(DMName)=:name"),
            {{QStringLiteral("id"), id}, {QStringLiteral("name"), name.toUpper()}});
        if (rows.isEmpty()) {
            rows.append();
            rows.setValue(QStringLiteral("CheckTypeID"), id);
            rows.setValue(QStringLiteral("DMName"), name);
        } else {
            rows.first();
            rows.edit();
        }
        rows.setValue(QStringLiteral("DMValue"), value);
        rows.post();
        return true;
    } catch (const DbError& e) {
        m_app.dialogs().message(name + QStringLiteral("设置模板参数错误:") + e.message());
        return false;
    }
}

QStringList TemplateStore::loadCtlNamesOfKind(const QString& kind) {
    return column(m_app.db().query(QStringLiteral("select ctlName from NameDict where CheckTypeName=:kind"),
                                   kindParam(kind)),
                  QStringLiteral("ctlName"));
}

bool TemplateStore::resetTemps(bool childWindowsOpen) {
    Database& db = m_app.db();
    bool cleaned = false;
    try {
        static const char* const statements[] = {
            "update ckTypeTable set IniFile=''",
            "DELETE * FROM ckTypeTable WHERE TypeFirstName<>'' and TypeFirstName is not null and "
            "TypeFirstName not "
            "in(select CheckTypeName from namedict)",
            "DELETE * FROM ckcontrol WHERE checktypeid not in(select checktypeid from cktypetable)",
            "DELETE * FROM ckcontrol WHERE ctlName not in(select CtlName from namedict);",
            "DELETE * FROM DMTable WHERE checktypeid not in(select checktypeid from cktypetable) and "
            "CheckTypeid<>0",
            "DELETE * FROM DataCheckFHDSHDDetail WHERE 票据编号 not in(select 票据编号 from DataCheckFHDSHD)",
        };
        for (const char* statement : statements)
            db.exec(QString::fromUtf8(statement));

        Recordset controls = db.query(QStringLiteral("select * from CKControl"));
        m_app.dialogs().message(QStringLiteral("缓冲数据清除需要耗费1-2分钟时间，请【确定】后，稍耐心等待~"));
        QHash<qint64, QString> kinds;
        inTransaction(db, [&] {
            for (controls.first(); !controls.eof(); controls.next()) {
                const qint64 id = controls.integer(QStringLiteral("CheckTypeID"));
                if (!kinds.contains(id))
                    kinds.insert(id, loadCheckTypeFirstNameByID(static_cast<int>(id)));
                const Recordset labels =
                    db.query(QStringLiteral(
                                 "select ctlLabel from NameDict where CtlName=:name and CheckTypeName=:kind"),
                             {{QStringLiteral("name"), controls.text(QStringLiteral("CtlName"))},
                              {QStringLiteral("kind"), kinds.value(id)}});
                if (labels.recordCount() != 1)
                    continue;
                const QString label = labels.text(QStringLiteral("ctlLabel"));
                if (label == controls.text(QStringLiteral("ctlCName")))
                    continue;
                controls.edit();
                controls.setValue(QStringLiteral("ctlCName"), label);
                controls.post();
            }
        });
        cleaned = true;
    } catch (const DbError& e) {
        m_app.dialogs().message(QStringLiteral("清除软件缓存失败！") + e.message());
    }

    // Pictures no template names go; system pictures (SYS_) and protected files stay. The names
    // are collected before anything is deleted, so a failing read deletes nothing.
    try {
        QStringList used;
        Recordset images = db.query(QStringLiteral("select ImgFile from CKTypeTable"));
        for (images.first(); !images.eof(); images.next())
            used.append(images.text(QStringLiteral("ImgFile")).toUpper());
        const QDir folder(m_app.pathOf(QStringLiteral("Image")));
        // Hidden pictures are not listed at all; read-only ones (no owner write permission, the
        // counterpart of the read-only attribute whoever runs the program) are skipped.
        const QFileInfoList files = folder.entryInfoList({QStringLiteral("*.jpg")}, QDir::Files);
        for (const QFileInfo& file : files) {
            if (!file.permissions().testFlag(QFileDevice::WriteOwner))
                continue;
            const QString upper = file.fileName().toUpper();
            if (upper.contains(QLatin1String("SYS_")))
                continue;
            bool named = false;
            for (const QString& image : used) {
                if (image.contains(upper)) {
                    named = true;
                    break;
                }
            }
            if (!named)
                QFile::remove(file.absoluteFilePath());
        }
    } catch (const DbError&) {
        // The pictures stay as they are.
    }

    if (!cleaned)
        return false;
    if (!childWindowsOpen) {
        m_app.dialogs().message(QStringLiteral("缓存清除成功！"));
        return false;
    }
    m_app.dialogs().message(QStringLiteral("缓存清除需要关闭开单界面重新打开！"));
    return true;
}

} // namespace core
