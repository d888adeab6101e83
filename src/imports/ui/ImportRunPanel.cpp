#include "imports/ui/ImportRunPanel.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

namespace imports::ui {

void ImportReloads::run() const {
    if (addressBook)
        addressBook();
    if (batchList)
        batchList();
}

RunControls makeRunControls(QWidget* owner) {
    const auto button = [owner](const QString& caption, const char* name, bool enabled) {
        auto* b = new QPushButton(caption, owner);
        b->setObjectName(QLatin1String(name));
        b->setEnabled(enabled);
        b->setAutoDefault(false);
        return b;
    };
    RunControls c;
    c.start = button(QStringLiteral("4、【开始导入】(&M)"), "btStart", false);
    c.stop = button(QStringLiteral("中止导入"), "btStopIt", false);
    c.log = button(QStringLiteral("查看日志(&L)"), "btLog", false);
    c.close = button(QStringLiteral("关  闭(&X)"), "btHidden", true);
    c.row = new QHBoxLayout;
    c.row->addWidget(c.start);
    c.row->addWidget(c.stop);
    c.row->addWidget(c.log);
    c.row->addStretch();
    c.row->addWidget(c.close);
    c.result = new QLabel(QStringLiteral("请选择要导入的Excel文件~~~"), owner);
    c.result->setObjectName(QStringLiteral("lblResult"));
    // A long end report wraps inside two lines instead of growing the window after every run;
    // the whole report is in the message and the log.
    c.result->setWordWrap(true);
    c.result->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    c.result->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    c.result->setFixedHeight(2 * c.result->fontMetrics().lineSpacing() + 2 * c.result->margin() + 2);
    c.progress = new QProgressBar(owner);
    c.progress->setObjectName(QStringLiteral("ProgressBar1"));
    // Its place is kept while hidden, so showing it for a run does not grow the window.
    QSizePolicy keep = c.progress->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    c.progress->setSizePolicy(keep);
    c.progress->setVisible(false);
    return c;
}

void showLogWindow(const QString& path, QWidget* parent) {
    // The log is the program's own, yet bounded: a window of text, not a reader of any size.
    constexpr qint64 kMaxBytes = 8 * 1024 * 1024;
    QString text;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        text = QString::fromUtf8(file.read(kMaxBytes));
        if (!file.atEnd())
            text += QStringLiteral("\n……（日志过长，其余部分没有显示）");
    } else {
        text = QStringLiteral("无法读取导入日志：") + QDir::toNativeSeparators(path) + QStringLiteral("\n") +
               file.errorString();
    }
    QDialog window(parent);
    window.setObjectName(QStringLiteral("frmImportLog"));
    window.setWindowTitle(QStringLiteral("导入日志 - ") + QFileInfo(path).fileName());
    auto* view = new QPlainTextEdit(text, &window);
    view->setObjectName(QStringLiteral("memoLog"));
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* close = new QPushButton(QStringLiteral("关  闭(&X)"), &window);
    close->setObjectName(QStringLiteral("btClose"));
    QObject::connect(close, &QPushButton::clicked, &window, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(close);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(view, 1);
    layout->addLayout(row);
    window.resize(640, 480);
    close->setFocus();
    window.exec();
}

ImportReloads& afterImport() {
    static ImportReloads reloads;
    return reloads;
}

ImportRunPanel::ImportRunPanel(QLabel* status, QProgressBar* progress, QPushButton* start, QPushButton* stop,
                               QPushButton* log, QObject* parent)
    : QObject(parent), m_status(status), m_progress(progress), m_start(start), m_stopButton(stop), m_log(log),
      m_desktop([](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }) {
    // Without a program of the desktop for text files the clerk would see no result at all.
    m_opener = [this](const QString& path) {
        if (!m_desktop || !m_desktop(path))
            showLogWindow(path, m_status->window());
    };
    connect(stop, &QPushButton::clicked, this, &ImportRunPanel::requestStop);
}

void ImportRunPanel::begin() {
    m_stop = false;
    m_running = true;
    m_lockedWasEnabled.clear();
    for (QWidget* widget : m_locked) {
        m_lockedWasEnabled << widget->isEnabled();
        widget->setEnabled(false);
    }
    m_stopButton->setEnabled(true);
    m_start->setEnabled(false);
}

void ImportRunPanel::end(bool startAgain) {
    for (int i = 0; i < m_locked.size() && i < m_lockedWasEnabled.size(); ++i)
        m_locked.at(i)->setEnabled(m_lockedWasEnabled.at(i));
    m_lockedWasEnabled.clear();
    m_running = false;
    m_stop = false;
    m_stopButton->setEnabled(false);
    m_start->setEnabled(startAgain);
    m_progress->setVisible(false);
    m_log->setEnabled(true);
}

bool ImportRunPanel::stopInsteadOfClosing() {
    if (!m_running)
        return false;
    requestStop();
    return true;
}

void ImportRunPanel::requestStop() {
    if (!m_running)
        return;
    m_stop = true;
    m_stopButton->setEnabled(false);
    m_start->setEnabled(false);
}

void ImportRunPanel::openLog(const QString& path) const {
    if (m_opener)
        m_opener(path);
}

void ImportRunPanel::status(const QString& text) {
    m_status->setText(text);
}

void ImportRunPanel::progressStart(int maximum) {
    m_progress->setRange(0, qMax(maximum, 1));
    m_progress->setValue(0);
    m_progress->setVisible(true);
}

void ImportRunPanel::progressStep() {
    m_progress->setValue(m_progress->value() + 1);
}

void ImportRunPanel::progressEnd(bool stoppedHere) {
    if (stoppedHere)
        m_progress->setMaximum(qMax(m_progress->value(), 1));
    m_progress->setValue(m_progress->maximum());
}

void ImportRunPanel::serviceEvents() {
    QCoreApplication::processEvents();
}

void ImportRunPanel::stopDeclined() {
    m_stop = false;
    m_stopButton->setEnabled(true);
}

} // namespace imports::ui
