#pragma once

#include "core/Database.h"
#include "core/Dialogs.h"
#include "core/IniFile.h"
#include "core/TemplateStore.h"

#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace core {

// What the main window owns and every other window reaches through it: the run path, the
// shared database, the options of configtable, Config.ini and Debug.ini, the template store,
// the dialogs service and the state the main window keeps while the program runs.
// Free of widgets, so the logic of every folder is tested without windows.
class AppContext {
public:
    AppContext(const QString& runPath, Dialogs& dialogs);
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    // Run path with a trailing separator.
    QString getRunPath() const { return m_runPath; }
    // Absolute path of a file or folder given relative to the run path ("Data/EPData.ini").
    QString pathOf(const QString& relative) const;

    Database& db() { return m_db; }
    Dialogs& dialogs() { return *m_dialogs; }
    void setDialogs(Dialogs& dialogs) { m_dialogs = &dialogs; }
    TemplateStore& templates() { return *m_templates; }

    // Where the store is: the [Database] section of Config.ini (engine=sqlite|postgresql, host,
    // port, database, user, service, schema). No section, or engine=sqlite: Data/EPData.ini. A
    // password is refused there; the server's client library reads ~/.pgpass or a service.
    struct StoreChoice {
        bool onServer = false;
        ServerAddress server;
        QString error; // the settings cannot be used
    };
    StoreChoice storeChoice();
    // Opens the shared connection on the store the settings name (throws DbError).
    void connect();
    // connect() at start: a failure is shown with what failed, and when the store is on a
    // server the clerk may start on the local Data/EPData.ini instead. False when nothing was
    // opened.
    bool connectAtStart();

    // System options (configtable).
    QString getConfigByname(const QString& name);
    void setConfigByname(const QString& name, const QString& value);
    // True for the values "1" and "yes".
    bool configSwitch(const QString& name);

    // Config.ini, opened on first use and held until shutdown; section "Config".
    IniFile& userIni();
    QString getINIConfigByname(const QString& name);
    void setINIConfigByname(const QString& name, const QString& value);
    void OpenUserIniFile();
    void releaseUserIni();

    // Debug.ini, section "debug".
    void OpenDebugInif();
    void DebugOut(const QString& key, const QString& value);
    void DebugOutN(const QString& name, const QString& value);

    // The printer the print subsystem uses; empty: the platform default. A new choice goes to
    // the printer selector at once, so the print device follows before any job or set-up.
    QString currentPrinter() const { return m_currentPrinter; }
    void setCurrentPrinter(const QString& name);
    void setPrinterSelector(std::function<void(const QString&)> selector);

    // State kept by the main window.
    QString version;
    bool popPrinterSetup = false;  // 打印前弹出打印机设置
    bool useDefaultIssuer = false; // 启用默认出票人
    QSqlRecord defaultIssuer;      // empty when absent
    QString userName;
    QString userRole;
    int currentCheckTypeId = 0; // -1 after the entry window closed
    bool printReady = false;    // gates every print-job call
    QString moneyCode;          // currency abbreviation of the bill being printed
    int cellWidth = 0;          // amount-cell width of the bill being printed

private:
    QString m_runPath;
    Dialogs* m_dialogs;
    Database m_db;
    std::unique_ptr<TemplateStore> m_templates;
    std::unique_ptr<IniFile> m_userIni;
    std::unique_ptr<IniFile> m_debugIni;
    int m_debugCounter = 0;
    QString m_currentPrinter;
    std::function<void(const QString&)> m_printerSelector;
};

} // namespace core
