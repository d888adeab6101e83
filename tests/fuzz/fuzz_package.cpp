// Template packages: the schema checks, SQLite's limits on the package connection, and every
// template of the package read and checked as the import reads it.
#include "FuzzInput.h"
#include "templates/TemplatePackage.h"

#include <QCoreApplication>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // The database driver and the JPEG reader are plugins, found through the application.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        const templates::TemplatePackage package(fuzzFile(data, size));
        for (const QString& name : package.names().mid(0, 20)) {
            try {
                package.load(name);
            } catch (const core::DbError&) {
            }
        }
    } catch (const core::DbError&) {
    }
    return 0;
}
