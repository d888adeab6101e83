#include "imports/ReaderProcess.h"

#include "imports/SpreadsheetError.h"
#include "imports/XlsFile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <cstring>
#include <sys/resource.h>

namespace imports::ReaderProcess {

namespace {

const char* const modeOption = "--read-xls";

// Generous for any workbook a clerk imports, small beside what the faults cost.
constexpr int timeLimitMs = 20000;
constexpr rlim_t cpuSeconds = 15;
constexpr rlim_t addressSpace = rlim_t(1) << 30;
// Every cell a sheet may hold, with its text, fits in this many bytes of stream.
constexpr qint64 maxStream = qint64(160) << 20;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool addressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool addressSanitizer = true;
#else
constexpr bool addressSanitizer = false;
#endif
#else
constexpr bool addressSanitizer = false;
#endif

void limit(int resource, rlim_t value) {
    const rlimit limits{value, value};
    setrlimit(resource, &limits);
}

QString cannotRead(const QString& path) {
    return QStringLiteral("工作簿已损坏或不是可读的Excel文件，读取时出错：") + path;
}

} // namespace

bool requested(int argc, char** argv) {
    return argc == 3 && std::strcmp(argv[1], modeOption) == 0;
}

int run(int argc, char** argv) {
    if (!requested(argc, argv))
        return 2;
    limit(RLIMIT_CORE, 0);
    limit(RLIMIT_CPU, cpuSeconds);
    // The address sanitizer reserves terabytes of address space up front.
    if (!addressSanitizer)
        limit(RLIMIT_AS, addressSpace);
    WorkbookStream::Writer out(stdout);
    try {
        XlsFile::read(QFile::decodeName(argv[2]), out);
    } catch (const std::bad_alloc&) {
        return 3;
    }
    return out.ok() ? 0 : 1;
}

WorkbookStream::Workbook readXls(const QString& path) {
    QProcess child;
    child.setProgram(QFile::symLinkTarget(QStringLiteral("/proc/self/exe")));
    child.setArguments({QString::fromLatin1(modeOption), path});
    child.setStandardInputFile(QProcess::nullDevice());
    child.setStandardErrorFile(QProcess::nullDevice());
    child.start(QIODevice::ReadOnly);
    if (!child.waitForStarted())
        throw SpreadsheetError(cannotRead(path));
    QElapsedTimer clock;
    clock.start();
    QByteArray stream;
    bool failed = false;
    while (child.state() != QProcess::NotRunning) {
        const qint64 left = timeLimitMs - clock.elapsed();
        if (left <= 0 || stream.size() > maxStream) {
            failed = true;
            child.kill();
            child.waitForFinished(1000);
            break;
        }
        child.waitForReadyRead(int(qMin<qint64>(left, 200)));
        stream += child.readAllStandardOutput();
    }
    stream += child.readAllStandardOutput();
    if (failed || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        throw SpreadsheetError(cannotRead(path));
    WorkbookStream::Workbook book = WorkbookStream::decode(stream, path);
    if (!book.complete)
        throw SpreadsheetError(cannotRead(path));
    if (!book.failure.isEmpty())
        throw SpreadsheetError(book.failure);
    return book;
}

} // namespace imports::ReaderProcess
