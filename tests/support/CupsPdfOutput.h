#pragma once

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QThread>

// The CUPS queue BillPDF (cups-pdf, made by scripts/cups-queue.sh) and the PDFs it writes.
namespace cups_pdf {

inline QString queue() {
    return QStringLiteral("BillPDF");
}

// Why a print through the queue cannot be read back here; empty when it can.
inline QString unavailableReason() {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        return QStringLiteral("pdftotext (poppler-utils) is not installed");
    if (!QPrinterInfo::availablePrinterNames().contains(queue()))
        return QStringLiteral("no CUPS queue BillPDF: cupsd is not reachable or the queue is missing "
                              "(scripts/cups-queue.sh)");
    return {};
}

// Folders cups-pdf may write to: the configured "Out" (for the submitting user), its default
// ~/PDF, and the spool folders it uses for anonymous or unknown users.
inline QStringList outputFolders() {
    QStringList folders;
    QFile conf(QStringLiteral("/etc/cups/cups-pdf.conf"));
    if (conf.open(QIODevice::ReadOnly | QIODevice::Text)) {
        static const QRegularExpression out(QStringLiteral("^\\s*Out\\s+(\\S+)"));
        for (const QString& line : QString::fromUtf8(conf.readAll()).split(QLatin1Char('\n'))) {
            const auto m = out.match(line);
            if (m.hasMatch())
                folders << QString(m.captured(1)).replace(QStringLiteral("${HOME}"), QDir::homePath());
        }
    }
    const QString user = QString::fromLocal8Bit(qgetenv("USER"));
    folders << QDir::homePath() + QStringLiteral("/PDF") << QStringLiteral("/var/spool/cups-pdf/ANONYMOUS");
    if (!user.isEmpty())
        folders << QStringLiteral("/var/spool/cups-pdf/") + user;
    folders.removeDuplicates();
    return folders;
}

inline QSet<QString> pdfsIn(const QStringList& folders) {
    QSet<QString> out;
    for (const QString& folder : folders)
        for (const QFileInfo& fi : QDir(folder).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files))
            out.insert(fi.absoluteFilePath());
    return out;
}

// The document title a PDF of cups-pdf carries: the job's title, as UTF-8 bytes in a literal
// string; empty when there is none.
inline QString title(const QString& pdf) {
    QFile file(pdf);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    int at = data.indexOf("/Title");
    if (at < 0 || (at = data.indexOf('(', at)) < 0)
        return {};
    QByteArray bytes;
    int depth = 0;
    for (int i = at; i < data.size(); ++i) {
        char c = data.at(i);
        if (c == '\\' && i + 1 < data.size()) {
            c = data.at(++i);
            if (c >= '0' && c <= '7') {
                int value = 0;
                for (int k = 0; k < 3 && i < data.size() && data.at(i) >= '0' && data.at(i) <= '7'; ++k, ++i)
                    value = value * 8 + (data.at(i) - '0');
                --i;
                c = char(value);
            }
        } else if (c == '(') {
            if (depth++ == 0)
                continue;
        } else if (c == ')') {
            if (--depth == 0)
                break;
        }
        bytes += c;
    }
    // The spooler wraps the title in parentheses of its own.
    if (bytes.startsWith('(') && bytes.endsWith(')'))
        bytes = bytes.mid(1, bytes.size() - 2);
    return QString::fromUtf8(bytes);
}

// The PDF of the job titled `jobTitle` that appeared since `before`, once its size has stopped
// changing; empty on timeout. Other jobs printing meanwhile are left alone.
inline QString waitForNewPdf(const QStringList& folders, const QSet<QString>& before, const QString& jobTitle,
                             int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    QHash<QString, qint64> sizes; // of the last look, for the new files not yet settled
    QSet<QString> others;
    while (!deadline.hasExpired()) {
        for (const QString& f : pdfsIn(folders)) {
            if (before.contains(f) || others.contains(f))
                continue;
            const qint64 size = QFileInfo(f).size();
            if (size == 0 || sizes.value(f, -1) != size) {
                sizes.insert(f, size);
                continue;
            }
            if (title(f) == jobTitle)
                return f;
            others.insert(f);
        }
        QThread::msleep(100);
    }
    return {};
}

} // namespace cups_pdf
