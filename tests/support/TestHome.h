#pragma once

#include "core/AppContext.h"
#include "core/ScriptedDialogs.h"

#include <QTemporaryDir>
#include <memory>

// A fresh program folder built from the shipped data in a temporary directory, with an
// AppContext connected to its database and scripted dialogs. When OVERPRINT_TEST_PG names a
// server ("host=… port=… user=… dbname=…"), the folder's settings point at a schema of its own
// on that server instead, built from the same shipped data and dropped afterwards.
class TestHome {
public:
    enum class Store { AsEnvironmentSays, LocalFile };
    explicit TestHome(Store store = Store::AsEnvironmentSays);
    ~TestHome();
    QString path() const; // run path, trailing separator
    core::AppContext& app() { return *m_app; }
    core::Database& db() { return m_app->db(); }
    core::ScriptedDialogs& dialogs() { return m_dialogs; }
    bool isValid() const { return m_valid; }
    QString error() const { return m_error; }

    // A test file copied from tests/data.
    static QString testData(const QString& name);

    // The server OVERPRINT_TEST_PG names; empty when none (reason then says why).
    static core::ServerAddress testServer(QString* reason = nullptr);
    // A further seat on this folder's store: a context of its own on the same settings.
    std::unique_ptr<core::AppContext> secondSeat(core::Dialogs& dialogs) const;
    bool onServer() const { return !m_schema.isEmpty(); }

private:
    QTemporaryDir m_dir;
    core::ScriptedDialogs m_dialogs;
    std::unique_ptr<core::AppContext> m_app;
    bool m_valid = false;
    QString m_error;
    QString m_schema;
};
