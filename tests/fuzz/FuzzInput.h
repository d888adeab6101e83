#pragma once

// The readers take file names; a fuzz input is handed to them as an anonymous in-memory file,
// which a reader process started from here can open by the same name.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

inline QString fuzzFile(const uint8_t* data, size_t size) {
    static const int fd = memfd_create("fuzz-input", 0);
    if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size))
        return QString();
    return QStringLiteral("/proc/%1/fd/%2").arg(getpid()).arg(fd);
}
