// Times the customer's copy of a note on both shipped forms, every printable item carrying its
// test value: the PDF on the form's paper, the PNG at 150 dpi, each from an object made to the
// file renamed into place, and prints the medians and the files' sizes. The note's boxes are a
// plain form (loading a note into the entry window is the reprint's cost, not the copy's).
#include "BenchHome.h"
#include "core/Recordset.h"
#include "print/ControlValues.h"
#include "print/NoteCopy.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPlainTextEdit>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    BenchHome home;
    if (!home.prepare())
        return 1;
    core::Database& db = home.app().db();
    QWidget form;
    core::Recordset items = db.query(QStringLiteral(
        "select ctlName, ctlData, ctlLabel from NameDict where CheckTypeName='出货单' and PrintItem=1"));
    for (items.first(); !items.eof(); items.next()) {
        auto* box = new QPlainTextEdit(&form);
        box->setObjectName(items.text(QStringLiteral("ctlName")));
        const QString value = items.text(QStringLiteral("ctlData"));
        box->setPlainText(value.isEmpty() ? items.text(QStringLiteral("ctlLabel")) : value);
    }
    const print::ControlValues values(home.app());
    const print::ControlIndex boxes(values, &form);
    for (const int id : {1, 2}) {
        const QString name = print::NoteCopy::templateName(home.app(), id);
        for (const auto format : {print::NoteCopy::Format::Pdf, print::NoteCopy::Format::Png}) {
            const bool pdf = format == print::NoteCopy::Format::Pdf;
            const QString path = home.filePath(pdf ? QStringLiteral("copy.pdf") : QStringLiteral("copy.png"));
            std::vector<double> times;
            for (int run = 0; run < 11; ++run) {
                QElapsedTimer timer;
                timer.start();
                print::NoteCopy copy(home.app(), path, {format, print::NoteCopy::Fit::Form, 150});
                copy.addNote(id, boxes, QStringLiteral("人民币"));
                copy.finish();
                times.push_back(timer.nsecsElapsed() / 1e6);
            }
            std::sort(times.begin(), times.end());
            std::printf("%s %s: median of %zu %.1f ms (min %.1f, max %.1f), %lld bytes\n", qPrintable(name),
                        pdf ? "PDF" : "PNG 150 dpi", times.size(), times[times.size() / 2], times.front(),
                        times.back(), QFileInfo(path).size());
        }
    }
    return 0;
}
