// Times the export of a package of 20 templates with their images and its import over the same
// templates (each one replaced in its own transaction), and what two hostile packages cost before
// they are turned away: one whose items have a generated column, one of 200 MB whose item labels
// are too long. Each hostile import runs in a child process, so its peak memory is its own.
// Prints the medians in milliseconds and the peaks in MB.
#include "BenchHome.h"
#include "templates/TemplateAdmin.h"
#include "templates/TemplatePackage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

bool craft(const QString& path, const QStringList& statements) {
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("craft"));
        db.setDatabaseName(path);
        ok = db.open();
        QSqlQuery q(db);
        for (const QString& s : statements)
            ok = ok && q.exec(s);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("craft"));
    return ok;
}

// Imports the package in a child process; prints the time and the child's peak memory.
void importInChild(BenchHome& home, const QString& package, const QString& name, const char* what) {
    std::fflush(stdout);
    QElapsedTimer timer;
    timer.start();
    const pid_t child = fork();
    if (child == 0) {
        try {
            const auto r = templates::PackageTransfer(home.app()).importTemplates(package, {name});
            _exit(r.failed > 0 ? 2 : 0);
        } catch (const core::DbError&) {
            _exit(3);
        }
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::printf("%s (%.0f MB): %s after %.0f ms, peak %.0f MB\n", what, QFileInfo(package).size() / 1048576.0,
                code == 3   ? "refused"
                : code == 2 ? "template failed"
                : code == 0 ? "IMPORTED"
                            : "CRASHED",
                timer.nsecsElapsed() / 1e6, usage.ru_maxrss / 1024.0);
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    BenchHome home;
    if (!home.prepare())
        return 1;
    templates::TemplateAdmin admin(home.app());
    QStringList names{QStringLiteral("出货单（标准）"), QStringLiteral("出货单（三联241）")};
    for (int i = 0; names.size() < 20; ++i) {
        const int id = admin.clone(1 + i % 2, QStringLiteral("副本") + QString::number(i));
        names << home.app().templates().loadCheckTypeFullNameByID(id);
    }
    templates::PackageTransfer transfer(home.app());
    const QString package = home.filePath(QStringLiteral("bench.qpk"));
    std::vector<double> exports;
    std::vector<double> imports;
    for (int run = 0; run < 7; ++run) {
        QElapsedTimer timer;
        timer.start();
        const auto out = transfer.exportTemplates(names, package);
        exports.push_back(timer.nsecsElapsed() / 1e6);
        timer.restart();
        const auto in = transfer.importTemplates(package, names);
        imports.push_back(timer.nsecsElapsed() / 1e6);
        if (out.succeeded != 20 || in.succeeded != 20) {
            std::fprintf(stderr, "%s\n", qPrintable((out.notes + in.notes).join(QLatin1Char('\n'))));
            return 1;
        }
    }
    std::sort(exports.begin(), exports.end());
    std::sort(imports.begin(), imports.end());
    std::printf("package of 20 templates (%.1f MB): export median %.1f ms, import median %.1f ms\n",
                QFileInfo(package).size() / 1048576.0, exports[exports.size() / 2],
                imports[imports.size() / 2]);

    // 2,000 items whose generated column is 2 MB of text each when computed.
    const QString name = names[1];
    const QString generated = home.filePath(QStringLiteral("generated.qpk"));
    transfer.exportTemplates({name}, generated);
    if (!craft(generated,
               {QStringLiteral(
                    "insert into _ckControl select _ckControl.* from _ckControl, (with recursive n(i) as "
                    "(select 1 union all select i+1 from n where i<40) select i from n) limit 2000"),
                QStringLiteral("alter table _ckControl add column Heavy TEXT GENERATED ALWAYS AS "
                               "(hex(zeroblob(1000000))) VIRTUAL")}))
        return 1;
    importInChild(home, generated, name, "generated column");

    // 2,000 items with labels of 100,000 characters.
    const QString big = home.filePath(QStringLiteral("big.qpk"));
    transfer.exportTemplates({name}, big);
    if (!craft(big, {QStringLiteral("delete from _ckControl"),
                     QStringLiteral("insert into _ckControl (CheckTypeID,CtlName,CtlCName) with recursive "
                                    "n(i) as (select 1 union all select i+1 from n where i<2000) select 2, "
                                    "'zd'||i, hex(randomblob(50000)) from n")}))
        return 1;
    importInChild(home, big, name, "over-long labels");
    return 0;
}
