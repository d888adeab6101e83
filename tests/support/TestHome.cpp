#include "TestHome.h"

#include "core/ProgramFolder.h"

#include <QDir>

TestHome::TestHome() {
    const QString run = path();
    m_valid = m_dir.isValid() && core::ProgramFolder::prepare(run, &m_error);
    m_app = std::make_unique<core::AppContext>(run, m_dialogs);
    if (m_valid) {
        try {
            m_app->connect();
        } catch (const core::DbError& e) {
            m_valid = false;
            m_error = e.message();
        }
    }
}

QString TestHome::path() const {
    return QDir::toNativeSeparators(m_dir.path()) + QDir::separator();
}

QString TestHome::testData(const QString& name) {
    return QString::fromLocal8Bit(qgetenv("OVERPRINT_TEST_DATA")) + QLatin1Char('/') + name;
}
