#include "print/scan/ScanPdf.h"

#include <poppler-qt6.h>

#include <QElapsedTimer>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace print::scan {

namespace {

constexpr double kPointsPerMm = 72 / 25.4;
// The child is killed when it has not stopped by itself this long after the deadline.
constexpr int kKillGraceMs = 1000;

// What the child hands back, at the start of a mapping shared with it; the pixels follow.
struct Reply {
    enum Status { NoReply, Drawn, Unreadable, Locked, PageCount, PageSize, NotDrawn, TooComplex };
    Status status = NoReply;
    int pages = 0;
    double widthPt = 0;
    double heightPt = 0;
    int width = 0;
    int height = 0;
    qsizetype bytesPerLine = 0;
};

struct Mapping {
    void* base;
    size_t size;
};

void unmap(void* info) {
    auto* mapping = static_cast<Mapping*>(info);
    munmap(mapping->base, mapping->size);
    delete mapping;
}

qsizetype rgbBytesPerLine(int width) {
    return (qsizetype(width) * 3 + 3) / 4 * 4;
}

int pixelsAtScanDpi(double mm) {
    return int(std::ceil(mm / 25.4 * kScanDpi)) + 2;
}

bool drawAbort(const QVariant& clock) {
    return static_cast<const QElapsedTimer*>(clock.value<void*>())->elapsed() > kPdfDrawSeconds * 1000;
}

// An address sanitizer reserves terabytes of address space: no limit on it there.
#if defined(__SANITIZE_ADDRESS__)
#define OVERPRINT_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OVERPRINT_ADDRESS_SANITIZER 1
#endif
#endif

// In the child: a crash in the library only ends it, whatever handlers the program has set;
// its memory is bounded.
void prepareChild() {
    for (const int crash : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        signal(crash, SIG_DFL);
#ifndef OVERPRINT_ADDRESS_SANITIZER
    // What the child may allocate beyond what it inherits: the page's bitmap and its copies.
    constexpr rlim_t kChildExtraBytes = rlim_t(768) << 20;
    // The limit is on the address space, which the child shares with the program at first.
    long pages = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld", &pages) != 1)
            pages = 0;
        std::fclose(statm);
    }
    const rlim_t limit = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + kChildExtraBytes;
    const rlimit bound{limit, limit};
    setrlimit(RLIMIT_AS, &bound);
#endif
}

// In the child: reads and draws the page into the shared mapping.
void drawInChild(const QByteArray& bytes, Reply* reply, uchar* pixels, qsizetype capacity) {
    Poppler::setDebugErrorFunction([](const QString&, const QVariant&) {}, QVariant());
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::loadFromData(bytes);
    if (!document) {
        reply->status = Reply::Unreadable;
        return;
    }
    if (document->isLocked()) {
        reply->status = Reply::Locked;
        return;
    }
    reply->pages = document->numPages();
    if (reply->pages != 1) {
        reply->status = Reply::PageCount;
        return;
    }
    const std::unique_ptr<Poppler::Page> page = document->page(0);
    if (!page) {
        reply->status = Reply::Unreadable;
        return;
    }
    const QSizeF size = page->pageSizeF();
    reply->widthPt = size.width();
    reply->heightPt = size.height();
    const double shortPt = std::min(size.width(), size.height());
    const double longPt = std::max(size.width(), size.height());
    if (!(shortPt > 0) || shortPt > kFlatbedShortMm * kPointsPerMm ||
        longPt > kFlatbedLongMm * kPointsPerMm) {
        reply->status = Reply::PageSize;
        return;
    }
    document->setRenderHint(Poppler::Document::Antialiasing);
    document->setRenderHint(Poppler::Document::TextAntialiasing);
    QElapsedTimer clock;
    clock.start();
    const QImage image =
        page->renderToImage(kScanDpi, kScanDpi, -1, -1, -1, -1, Poppler::Page::Rotate0, nullptr, nullptr,
                            drawAbort, QVariant::fromValue(static_cast<void*>(&clock)));
    if (clock.elapsed() > kPdfDrawSeconds * 1000) {
        reply->status = Reply::TooComplex;
        return;
    }
    const qsizetype bytesPerLine = rgbBytesPerLine(image.width());
    if (image.isNull() || image.depth() != 32 || bytesPerLine * image.height() > capacity) {
        reply->status = Reply::NotDrawn;
        return;
    }
    // By hand: Qt converts large pictures on its thread pool, whose threads the child has not.
    // The page is drawn on opaque white paper, so the colour channels are the colours.
    for (int y = 0; y < image.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uchar* out = pixels + y * bytesPerLine;
        for (int x = 0; x < image.width(); ++x) {
            out[3 * x] = uchar(qRed(in[x]));
            out[3 * x + 1] = uchar(qGreen(in[x]));
            out[3 * x + 2] = uchar(qBlue(in[x]));
        }
    }
    reply->width = image.width();
    reply->height = image.height();
    reply->bytesPerLine = bytesPerLine;
    reply->status = Reply::Drawn;
}

// Waits for the child until the deadline, then kills it. False when it had to be killed.
bool awaitChild(pid_t child, int doneFd) {
    QElapsedTimer clock;
    clock.start();
    const qint64 deadline = kPdfDrawSeconds * 1000 + kKillGraceMs;
    bool finished = false;
    // The child's end of the pipe closes when it exits, however it exits.
    for (qint64 left = deadline; left > 0 && !finished; left = deadline - clock.elapsed()) {
        pollfd fd{doneFd, POLLIN, 0};
        const int ready = poll(&fd, 1, int(left));
        finished = ready > 0 || (ready < 0 && errno != EINTR);
    }
    if (!finished)
        kill(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return finished;
}

QString message(const Reply& reply, bool finished, const QString& name) {
    const QString file = QFileInfo(name).fileName();
    if (!finished || reply.status == Reply::TooComplex)
        return QStringLiteral("PDF 页面太复杂，%1 秒内没能画完：%2").arg(kPdfDrawSeconds).arg(file);
    switch (reply.status) {
    case Reply::Locked:
        return QStringLiteral("PDF 有密码保护：%1。请另存为没有密码的 PDF 再打开").arg(file);
    case Reply::PageCount:
        if (reply.pages < 1)
            return QStringLiteral("PDF 里没有页面：%1").arg(file);
        return QStringLiteral("PDF 有 %1 页，请只扫描一页：%2").arg(reply.pages).arg(file);
    case Reply::PageSize:
        return QStringLiteral("PDF 的页面太大：%1 × %2 毫米，扫描仪扫不了这么大：%3")
            .arg(qRound(reply.widthPt / kPointsPerMm))
            .arg(qRound(reply.heightPt / kPointsPerMm))
            .arg(file);
    case Reply::NotDrawn:
        return QStringLiteral("PDF 页面无法显示：%1").arg(file);
    default: // no reply: the library crashed or ran out of memory on the file
        return QStringLiteral("扫描图文件已损坏或不完整：%1").arg(file);
    }
}

} // namespace

ScanPicture renderScanPdf(const QByteArray& bytes, const QString& name) {
    ScanPicture picture;
    const int longest = pixelsAtScanDpi(kFlatbedLongMm);
    const qsizetype capacity = rgbBytesPerLine(longest) * longest;
    const size_t size = sizeof(Reply) + size_t(capacity);
    // Pages of the mapping that the child does not write cost nothing.
    void* base = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    int done[2] = {-1, -1};
    if (base == MAP_FAILED || pipe2(done, O_CLOEXEC) != 0) {
        if (base != MAP_FAILED)
            munmap(base, size);
        picture.error = QStringLiteral("内存不足，无法打开 PDF：%1").arg(QFileInfo(name).fileName());
        return picture;
    }
    auto* reply = new (base) Reply;
    uchar* pixels = static_cast<uchar*>(base) + sizeof(Reply);
    const pid_t child = fork();
    if (child == 0) {
        close(done[0]);
        prepareChild();
        drawInChild(bytes, reply, pixels, capacity);
        _exit(0); // nothing of the program's is torn down or flushed twice
    }
    close(done[1]);
    const bool finished = child > 0 && awaitChild(child, done[0]);
    close(done[0]);
    if (child > 0 && finished && reply->status == Reply::Drawn) {
        picture.image = QImage(pixels, reply->width, reply->height, reply->bytesPerLine,
                               QImage::Format_RGB888, unmap, new Mapping{base, size});
        picture.dpi = kScanDpi;
        return picture;
    }
    picture.error = child > 0
                        ? message(*reply, finished, name)
                        : QStringLiteral("无法打开 PDF，系统资源不足：%1").arg(QFileInfo(name).fileName());
    munmap(base, size);
    return picture;
}

} // namespace print::scan
