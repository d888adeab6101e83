#include "backup/ui/BackupRunner.h"

#include "core/AppContext.h"

#include <QDate>
#include <QDir>

namespace backup::ui {

BackupRunner::BackupRunner(core::AppContext& app, QObject* parent) : QObject(parent), m_app(app) {
    m_clock.setInterval(0);
    connect(&m_clock, &QTimer::timeout, this, &BackupRunner::tick);
}

BackupRunner::~BackupRunner() = default;

bool BackupRunner::start(Kind kind) {
    if (m_writer)
        return false;
    m_kind = kind;
    const BackupSettings settings = BackupSettings::load(m_app.userIni());
    m_writer = std::make_unique<BackupWriter>(m_app.db(), m_app.getRunPath(),
                                              settings.folderFor(m_app.getRunPath()));
    m_clock.start();
    return true;
}

void BackupRunner::tick() {
    // A pass of the event loop between steps keeps the windows answering.
    if (m_writer->step()) {
        emit progress(m_writer->percent());
        return;
    }
    complete();
}

void BackupRunner::complete() {
    m_clock.stop();
    const std::unique_ptr<BackupWriter> writer = std::move(m_writer);
    BackupSettings settings = BackupSettings::load(m_app.userIni());
    if (writer->ok()) {
        rotateFolder(settings.folderFor(m_app.getRunPath()), settings.keep);
        if (m_kind == Kind::Automatic) {
            settings.lastDay = QDate::currentDate();
            settings.save(m_app.userIni());
        }
        emit progress(100);
        emit finished(true, writer->path());
        return;
    }
    if (m_kind == Kind::Automatic && !m_failureSaid) {
        // Once per run: the clerk learns it, the next start tries again.
        m_failureSaid = true;
        m_app.dialogs().error(
            QStringLiteral("自动备份没有完成：%1\n数据没有受影响。请在“系统管理→数据备份”里检查备份文件夹。")
                .arg(writer->error()));
    }
    emit finished(false, writer->error());
}

void BackupRunner::startOfDay() {
    if (BackupSettings::load(m_app.userIni()).dueAtStart(QDate::currentDate()))
        start(Kind::Automatic);
}

void BackupRunner::markStart() {
    m_startMark = changeMark(m_app.db());
}

void BackupRunner::atExit() {
    if (!BackupSettings::load(m_app.userIni()).enabled)
        return;
    const bool changed = m_startMark < 0 || changeMark(m_app.db()) != m_startMark;
    // The day's backup still running finishes first; it holds whatever changed.
    if (!m_writer) {
        if (!changed)
            return;
        start(Kind::Automatic);
    }
    m_clock.stop();
    m_writer->run();
    complete();
}

} // namespace backup::ui
