// Recognising a pasted text of 2,000 bytes: normalisation and every step, with the shipped
// character fixes and region codes. Prints the median of repeated runs.

#include "BenchHome.h"
#include "recognition/AddressRecogniser.h"
#include "recognition/PatternSearch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    BenchHome home;
    if (!home.prepare())
        return 1;
    const recognition::RecognitionData data = recognition::RecognitionData::load(home.app().db());

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
    std::sort(times.begin(), times.end());
    std::printf("recognise %d bytes: median %.2f ms, max %.2f ms (%d runs; target < 50 ms)\n",
                recognition::PatternSearch::bytes(text), times[times.size() / 2], times.back(), rounds);
    return 0;
}
