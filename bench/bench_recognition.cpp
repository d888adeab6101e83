// Reading the national division table, and recognising a pasted text of 2,000 bytes:
// normalisation and every step, with the shipped character fixes, region codes and division
// table. Prints the median of repeated runs.

#include "BenchHome.h"
#include "core/ProgramFolder.h"
#include "recognition/AddressRecogniser.h"
#include "recognition/PatternSearch.h"
#include "recognition/RegionTable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    BenchHome home;
    if (!home.prepare())
        return 1;
    const recognition::RecognitionData data = recognition::RecognitionData::load(home.app().db());

    auto median = [](std::vector<double>& times) {
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    };
    // Memory the shipped table holds: resident size before and after it is read, first of all.
    auto residentKb = [] {
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly))
            return 0L;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                return line.mid(6).trimmed().split(' ').value(0).toLong();
        return 0L;
    };
    const long before = residentKb();
    recognition::RegionTable::shipped();
    std::printf("division table: %.1f MB resident once read (target < 30 MB)\n",
                (residentKb() - before) / 1024.0);

    std::vector<double> loads;
    int regions = 0;
    for (int i = 0; i < 11; ++i) {
        QElapsedTimer timer;
        timer.start();
        QFile file(core::ProgramFolder::shippedFolder() + QStringLiteral("regions.tsv"));
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        regions = int(recognition::RegionTable::fromText(QString::fromUtf8(file.readAll())).regions().size());
        loads.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("division table: %d divisions read in median %.2f ms (target < 50 ms)\n", regions,
                median(loads));

    // An order page copied whole: labelled fields, a shop line and chat around them, repeated.
    const QString block = QStringLiteral(
        "订单编号:2026120912345678 买家留言:请尽快发货，谢谢！\n"
        "收货地址：林晓燕，0592-5123456，13905912345，福建省 厦门市 思明区 厦禾路888号（361004）\n"
        "公司：厦门鹭岛文具有限公司 联系人：林晓燕 电话：0592-5123456-801\n");
    QString text;
    while (recognition::PatternSearch::bytes(text + block) <= 2000)
        text += block;
    while (recognition::PatternSearch::bytes(text) < 2000)
        text += QLatin1Char('x');

    const int rounds = 51;
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        recognition::AddressRecogniser recogniser(data);
        recogniser.recognise(recogniser.normalise(text));
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    const double middle = median(times);

    std::printf("recognise %d bytes: median %.2f ms, max %.2f ms (%d runs; target < 2 ms)\n",
                recognition::PatternSearch::bytes(text), middle, times.back(), rounds);

    // The worst a text can do to the region search: nothing but division names that many cities share.
    QString names;
    while (recognition::PatternSearch::bytes(names) < 2000)
        names += QStringLiteral("朝阳区鼓楼区城关区新华区,");
    std::vector<double> worst;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        recognition::AddressRecogniser recogniser(data);
        recogniser.recognise(recogniser.normalise(names));
        worst.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("recognise %d bytes of shared division names: median %.2f ms\n",
                recognition::PatternSearch::bytes(names), median(worst));
    return 0;
}
