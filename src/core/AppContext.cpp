#include "core/AppContext.h"

#include "core/ColumnOps.h"
#include "core/OrderNumberKey.h"
#include "core/ProgramFolder.h"

#include <QDir>

namespace core {

namespace {

const QString kConfigSection = QStringLiteral("Config");
const QString kDebugSection = QStringLiteral("debug");

QString withTrailingSeparator(const QString& path) {
    if (path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\')))
        return path;
    return path + QDir::separator();
}

// Each context has a connection of its own, so two program folders (a test beside another, an
// upgrade reading an earlier installation) never share one by accident.
QString nextConnectionName() {
    static int created = 0;
    ++created;
    return created == 1 ? QStringLiteral("overprint") : QStringLiteral("overprint-%1").arg(created);
}

} // namespace

AppContext::AppContext(const QString& runPath, Dialogs& dialogs)
    : m_runPath(withTrailingSeparator(runPath)), m_dialogs(&dialogs), m_db(nextConnectionName()),
      m_templates(std::make_unique<TemplateStore>(*this)) {}

AppContext::~AppContext() = default;

QString AppContext::pathOf(const QString& relative) const {
    QString part = relative;
    part.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (part.startsWith(QLatin1Char('/')))
        part.remove(0, 1);
    return m_runPath + QDir::toNativeSeparators(part);
}

AppContext::StoreChoice AppContext::storeChoice() {
    const QString section = QStringLiteral("Database");
    IniFile& ini = userIni();
    StoreChoice choice;
    const QString engine = ini.readString(section, QStringLiteral("engine")).trimmed().toLower();
    if (engine.isEmpty() || engine == QLatin1String("sqlite"))
        return choice;
    if (engine != QLatin1String("postgresql") && engine != QLatin1String("postgres")) {
        choice.error =
            QStringLiteral("Config.ini [Database] engine=%1: 只支持 sqlite 或 postgresql").arg(engine);
        return choice;
    }
    choice.onServer = true;
    choice.server.host = ini.readString(section, QStringLiteral("host")).trimmed();
    choice.server.port = ini.readInteger(section, QStringLiteral("port"), 0);
    choice.server.database = ini.readString(section, QStringLiteral("database")).trimmed();
    choice.server.user = ini.readString(section, QStringLiteral("user")).trimmed();
    choice.server.service = ini.readString(section, QStringLiteral("service")).trimmed();
    choice.server.schema = ini.readString(section, QStringLiteral("schema")).trimmed();
    if (ini.valueExists(section, QStringLiteral("password")))
        choice.error = QStringLiteral("Config.ini [Database] 中不得写密码：请把密码写入 ~/.pgpass，"
                                      "或在 pg_service.conf 中设服务并以 service= 指明");
    else if (!choice.server.schema.isEmpty() && !ColumnOps::isPlainName(choice.server.schema))
        choice.error = QStringLiteral("Config.ini [Database] schema=%1: 名称无效").arg(choice.server.schema);
    return choice;
}

void AppContext::connect() {
    const StoreChoice choice = storeChoice();
    if (!choice.error.isEmpty())
        throw DbError(choice.error);
    if (choice.onServer)
        m_db.openServer(choice.server);
    else
        m_db.open(ProgramFolder::databasePath(m_runPath));
    // A store written before the order number had its key may hold an order twice, which a
    // batch run would print twice: merged at every start, before anything lists the orders.
    // Quietly: the import makes the key again at its first use and says why when it cannot.
    try {
        OrderNumberKey::ensure(m_db);
    } catch (const DbError&) {
    }
}

bool AppContext::connectAtStart() {
    try {
        connect();
        return true;
    } catch (const DbError& e) {
        if (!storeChoice().onServer) {
            m_dialogs->error(e.message());
            return false;
        }
        if (!m_dialogs->ask(
                e.message() +
                    QStringLiteral("\n\n改用本机的数据文件启动吗？（在服务器上的单据和资料在本机看不到）"),
                QStringLiteral("连接数据库服务器失败")))
            return false;
    }
    try {
        m_db.open(ProgramFolder::databasePath(m_runPath));
        return true;
    } catch (const DbError& e) {
        m_dialogs->error(e.message());
        return false;
    }
}

QString AppContext::getConfigByname(const QString& name) {
    try {
        return m_db
            .scalar(QStringLiteral("Select cvalue From configtable Where ltrim(rtrim(cname))=:pname"),
                    {{QStringLiteral("pname"), name}})
            .toString();
    } catch (const DbError&) {
        return QString();
    }
}

void AppContext::setConfigByname(const QString& name, const QString& value) {
    const Params params{{QStringLiteral("pvalue"), value}, {QStringLiteral("pname"), name}};
    try {
        if (m_db.exec(QStringLiteral("update configtable set cvalue=:pvalue Where cname=:pname"), params) ==
            0)
            m_db.exec(QStringLiteral("insert into configtable (cvalue,cname) values(:pvalue,:pname)"),
                      params);
    } catch (const DbError&) {
        // A failing option write is silent: the option simply keeps its old value.
    }
}

bool AppContext::configSwitch(const QString& name) {
    const QString value = getConfigByname(name);
    return value == QLatin1String("1") || value == QLatin1String("yes");
}

IniFile& AppContext::userIni() {
    if (!m_userIni)
        m_userIni = std::make_unique<IniFile>(pathOf(QStringLiteral("Config.ini")));
    return *m_userIni;
}

QString AppContext::getINIConfigByname(const QString& name) {
    return userIni().readString(kConfigSection, name);
}

void AppContext::setINIConfigByname(const QString& name, const QString& value) {
    IniFile& ini = userIni();
    ini.writeString(kConfigSection, name, value);
    // Written at once: a crash must never cost the user a setting.
    ini.flush();
}

void AppContext::OpenUserIniFile() {
    if (m_userIni)
        m_userIni->flush();
    m_userIni = std::make_unique<IniFile>(pathOf(QStringLiteral("Config.ini")));
}

void AppContext::releaseUserIni() {
    if (m_userIni)
        m_userIni->flush();
    m_userIni.reset();
}

void AppContext::setCurrentPrinter(const QString& name) {
    m_currentPrinter = name;
    if (m_printerSelector && !name.isEmpty())
        m_printerSelector(name);
}

void AppContext::setPrinterSelector(std::function<void(const QString&)> selector) {
    m_printerSelector = std::move(selector);
    if (m_printerSelector && !m_currentPrinter.isEmpty())
        m_printerSelector(m_currentPrinter);
}

void AppContext::OpenDebugInif() {
    if (m_debugIni)
        m_debugIni->flush();
    m_debugIni = std::make_unique<IniFile>(pathOf(QStringLiteral("Debug.ini")));
}

void AppContext::DebugOut(const QString& key, const QString& value) {
    if (!m_debugIni)
        OpenDebugInif();
    m_debugIni->writeString(kDebugSection, key, value);
    m_debugIni->flush();
}

void AppContext::DebugOutN(const QString& name, const QString& value) {
    ++m_debugCounter;
    DebugOut(name + QLatin1Char('-') + QString::number(m_debugCounter), value);
}

} // namespace core
