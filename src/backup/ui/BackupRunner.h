#pragma once

#include "backup/BackupPlan.h"
#include "backup/BackupWriter.h"

#include <QObject>
#include <QTimer>

#include <memory>

namespace core {
class AppContext;
}

namespace backup::ui {

// Runs one backup in steps on the event loop (each step a few hundred pages, or a look at the
// worker), then the folder's rotation. Automatic backups remember their day in the settings
// and say a failure once through the program's dialogs.
class BackupRunner final : public QObject {
    Q_OBJECT
public:
    enum class Kind { Automatic, ByHand };
    explicit BackupRunner(core::AppContext& app, QObject* parent = nullptr);
    ~BackupRunner() override;

    // false when one is running already.
    bool start(Kind kind);
    bool running() const { return m_writer != nullptr; }
    // The first start of a day: a backup when the settings ask for one.
    void startOfDay();
    // At exit after changes since markStart(): one backup, in full, before the store closes.
    void markStart();
    void atExit();

signals:
    void progress(int percent);
    void finished(bool ok, const QString& pathOrError);

private:
    void tick();
    void complete();

    core::AppContext& m_app;
    std::unique_ptr<BackupWriter> m_writer;
    Kind m_kind = Kind::ByHand;
    QTimer m_clock;
    qint64 m_startMark = -1;
    bool m_failureSaid = false;
};

} // namespace backup::ui
