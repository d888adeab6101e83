#pragma once

#include "core/AppContext.h"
#include "core/ScriptedDialogs.h"

#include <QTemporaryDir>
#include <memory>

// A fresh program folder built from the shipped data in a temporary directory, with an
// AppContext connected to its database and scripted dialogs.
class TestHome {
public:
    TestHome();
    QString path() const; // run path, trailing separator
    core::AppContext& app() { return *m_app; }
    core::Database& db() { return m_app->db(); }
    core::ScriptedDialogs& dialogs() { return m_dialogs; }
    bool isValid() const { return m_valid; }
    QString error() const { return m_error; }

    // A test file copied from tests/data.
    static QString testData(const QString& name);

private:
    QTemporaryDir m_dir;
    core::ScriptedDialogs m_dialogs;
    std::unique_ptr<core::AppContext> m_app;
    bool m_valid = false;
    QString m_error;
};
