// Runs a fuzz harness once over every file named on the command line, and over every file of
// every folder named there: the corpus and the hostile workbooks, replayed by the test suite
// through the sanitized readers. Serves as a reader process too, as the program does.
#include "imports/ReaderProcess.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    if (imports::ReaderProcess::requested(argc, argv))
        return imports::ReaderProcess::run(argc, argv);
    QCoreApplication app(argc, argv);
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        const QString name = QFile::decodeName(argv[i]);
        QStringList paths;
        if (QFileInfo(name).isDir()) {
            QDirIterator it(name, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext())
                paths.append(it.next());
        } else {
            paths.append(name);
        }
        for (const QString& path : paths) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
                return 1;
            }
            const QByteArray bytes = file.readAll();
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
            ++files;
        }
    }
    std::printf("%d inputs replayed\n", files);
    return files > 0 ? 0 : 1;
}
