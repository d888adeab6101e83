#include "core/Recordset.h"
#include "print/EscpTextDevice.h"
#include "print/ItemPlan.h"
#include "print/RecordingPrintDevice.h"
#include "print/TestPage.h"
#include "print/TextCellCanvas.h"
#include "support/EscpDecoder.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include <QFile>
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>

using print::EscpTextDevice;
using print::TextModeSettings;
using testing_support::EscpDecoder;

namespace {

const QString kPrinter = QStringLiteral("针打");

TextModeSettings textMode(int hUnit, int vUnit,
                          TextModeSettings::Charset charset = TextModeSettings::Charset::GB18030) {
    TextModeSettings s;
    s.mode = TextModeSettings::Mode::Text;
    s.charset = charset;
    s.horizontalUnit = hUnit;
    s.verticalUnit = vUnit;
    return s;
}

// Where a value must land, from the plan as a 3600 dpi recorder received it: the point of the
// value that its alignment fixes (left end, centre or right end) and its box's right edge.
struct Expected {
    QString text;
    int page;
    int anchorX;
    int y;
    int align;
    int boxRight; // 0 when the item has no box width
    int points;
};

QVector<Expected> expectedValues(TestHome& home, int templateId, int pageCount = 1) {
    print::RecordingPrintDevice recorder;
    recorder.printers = {kPrinter};
    recorder.dpiX = recorder.dpiY = EscpDecoder::kPerInch;
    if (!print::TestPage::print(home.app(), recorder, templateId, print::TestPage::Mode::Values))
        return {};
    const QVector<print::DrawOp> ops =
        print::TestPage::plan(home.db(), templateId, print::TestPage::Mode::Values);
    QVector<print::DrawOp> textOps;
    for (const print::DrawOp& op : ops)
        if (op.kind == print::DrawOp::Kind::Text)
            textOps << op;
    if (textOps.size() != recorder.texts.size())
        return {};
    QVector<Expected> out;
    for (int page = 0; page < pageCount; ++page) {
        for (int i = 0; i < textOps.size(); ++i) {
            const print::DrawOp& op = textOps.at(i);
            const print::RecordingPrintDevice::Text& t = recorder.texts.at(i);
            if (t.text.trimmed().isEmpty())
                continue;
            recorder.setFontSize(op.size);
            const int w = recorder.textWidth(t.text);
            const int box = int(qRound64(op.boxWidth * double(EscpDecoder::kPerInch) / 254.0));
            const int anchor = t.x + (op.align == 1 ? w / 2 : op.align == 2 ? w : 0);
            const int boxRight = op.align == 0 ? t.x + box : op.align == 2 ? t.x + w : anchor + box / 2;
            out << Expected{t.text, page, anchor, t.y, op.align, op.boxWidth > 0 ? boxRight : 0, op.size};
        }
    }
    return out;
}

// The decoded run of a value: the same text on the page, nearest to where it should be.
const EscpDecoder::Run* runOf(const EscpDecoder& decoded, const Expected& e) {
    const EscpDecoder::Run* best = nullptr;
    qint64 bestDistance = std::numeric_limits<qint64>::max();
    for (const EscpDecoder::Run& r : decoded.runs) {
        if (r.page != e.page || r.text != e.text)
            continue;
        const qint64 d = qAbs(qint64(r.x) - e.anchorX) + qAbs(qint64(r.y) - e.y);
        if (d < bestDistance) {
            bestDistance = d;
            best = &r;
        }
    }
    return best;
}

int anchorOf(const EscpDecoder::Run& r, int align) {
    return r.x + (align == 1 ? r.width / 2 : align == 2 ? r.width : 0);
}

} // namespace

// The text-mode device judged by the independent decoder: every value of both shipped
// templates where the plan puts it, in every unit the printer window offers; forms that keep
// their top over a long run; characters the printer's set lacks refused before anything is sent;
// sizes mapped and values inside their boxes by the printer's own cells.
class TestTextModeJob : public QObject {
    Q_OBJECT

private:
    void checkUnits(TestHome& home, int templateId, const QVector<Expected>& expected, int hUnit, int vUnit) {
        const QString units = QStringLiteral("H1/%1 V1/%2: ").arg(hUnit).arg(vUnit);
        QTemporaryDir dir;
        EscpTextDevice device(textMode(hUnit, vUnit));
        device.setRawFile(dir.filePath(QStringLiteral("job.prn")));
        QVERIFY2(print::TestPage::print(home.app(), device, templateId, print::TestPage::Mode::Values),
                 qPrintable(home.dialogs().texts().join('\n')));
        EscpDecoder decoded;
        QVERIFY2(decoded.decode(device.lastStream()), qPrintable(decoded.errors.join('\n')));
        QCOMPARE(decoded.declaredUnit > 0, true);

        // Half a movement unit, plus the recorder's own rounding. An aligned value's end or centre
        // also carries the rounding of its box width (and, centred, the halving of an odd gap).
        const int tolX = EscpDecoder::kPerInch / (2 * hUnit) + 2;
        const int tolY = EscpDecoder::kPerInch / (2 * vUnit) + 2;
        for (const Expected& e : expected) {
            const EscpDecoder::Run* run = runOf(decoded, e);
            QVERIFY2(run, qPrintable(units + QStringLiteral("%1 not printed").arg(e.text)));
            const int slack = e.align == 0 ? 0 : e.align == 2 ? tolX : 2 * tolX;
            QVERIFY2(qAbs(anchorOf(*run, e.align) - e.anchorX) <= tolX + slack,
                     qPrintable(units + QStringLiteral("%1: x %2 for %3")
                                            .arg(e.text)
                                            .arg(anchorOf(*run, e.align))
                                            .arg(e.anchorX)));
            QVERIFY2(qAbs(run->y - e.y) <= tolY,
                     qPrintable(units + QStringLiteral("%1: y %2 for %3").arg(e.text).arg(run->y).arg(e.y)));
        }

        // The preview's text look puts each value's first character where the printer does.
        print::TextCellCanvas preview(textMode(hUnit, vUnit));
        print::ItemPlan::draw(print::TestPage::plan(home.db(), templateId, print::TestPage::Mode::Values),
                              preview);
        for (const EscpDecoder::Run& run : decoded.runs) {
            const QString first = run.text.left(run.text.at(0).isHighSurrogate() ? 2 : 1);
            const bool shown =
                std::any_of(preview.cells().cbegin(), preview.cells().cend(), [&](const auto& c) {
                    return c.character == first && qAbs(c.x - run.x) <= tolX && qAbs(c.y - run.y) <= tolY;
                });
            QVERIFY2(shown, qPrintable(units + run.text + QStringLiteral(" not where the preview shows it")));
        }
    }

private slots:
    void valuesLandWhereThePlanPutsThem_data() {
        QTest::addColumn<int>("templateId");
        QTest::newRow("标准") << 1;
        QTest::newRow("三联241") << 2;
    }

    void valuesLandWhereThePlanPutsThem() {
        QFETCH(int, templateId);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        home.app().setCurrentPrinter(kPrinter);
        const QVector<Expected> expected = expectedValues(home, templateId);
        QVERIFY(expected.size() >= 5);
        // Every unit the printer window offers; one store for all of them keeps the test quick.
        for (int hUnit : {60, 120, 180})
            for (int vUnit : {180, 360})
                if (checkUnits(home, templateId, expected, hUnit, vUnit), QTest::currentTestFailed())
                    return;
    }

    // The printer's own cells keep every value inside its box: the decoder's cell table against
    // the box's right edge of the plan.
    void valuesStayInsideTheirBoxes_data() {
        QTest::addColumn<int>("templateId");
        // Both hold a value filling most of its box in the plan's font, which the printer's
        // wider cells would run past (the address; "ThinkCentre M720").
        QTest::newRow("标准") << 1;
        QTest::newRow("三联241") << 2;
    }

    void valuesStayInsideTheirBoxes() {
        QFETCH(int, templateId);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        home.app().setCurrentPrinter(kPrinter);
        const QVector<Expected> expected = expectedValues(home, templateId);
        QVERIFY(!expected.isEmpty());
        QTemporaryDir dir;
        EscpTextDevice device(textMode(180, 180));
        device.setRawFile(dir.filePath(QStringLiteral("job.prn")));
        QVERIFY(print::TestPage::print(home.app(), device, templateId, print::TestPage::Mode::Values));
        EscpDecoder decoded;
        QVERIFY2(decoded.decode(device.lastStream()), qPrintable(decoded.errors.join('\n')));
        QStringList overflows;
        for (const Expected& e : expected) {
            const EscpDecoder::Run* run = runOf(decoded, e);
            QVERIFY(run);
            // A right-aligned value ends where the box's edge rounds to in the movement unit.
            if (e.boxRight > 0 && run->x + run->width > e.boxRight + EscpDecoder::kPerInch / 180)
                overflows << QStringLiteral("%1 (%2 mm)")
                                 .arg(e.text)
                                 .arg((run->x + run->width - e.boxRight) * 25.4 / EscpDecoder::kPerInch, 0,
                                      'f', 1);
        }
        QVERIFY2(overflows.isEmpty(), qPrintable(overflows.join(QStringLiteral(", "))));
    }

    // One job of many forms on continuous paper: the form length is the paper's, so the printer's
    // form feed finds each next form's top, and the last form's values sit as the first's. Through
    // the raw CUPS queue the printer gets the job byte for byte as the device made it.
    void hundredFormsKeepTheirTop_data() {
        QTest::addColumn<QString>("queue");
        QTest::newRow("raw file") << QString();
        QTest::newRow("CUPS queue BillRaw") << QStringLiteral("BillRaw");
    }

    void hundredFormsKeepTheirTop() {
        QFETCH(QString, queue);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        QTemporaryDir dir;
        EscpTextDevice device(textMode(180, 360));
        if (queue.isEmpty()) {
            device.setRawFile(dir.filePath(QStringLiteral("job.prn")));
            home.app().setCurrentPrinter(kPrinter);
        } else {
            if (!device.printerNames().contains(queue))
                QSKIP("no BillRaw queue (scripts/cups-queue.sh)");
            home.app().setCurrentPrinter(queue);
        }
        const QVector<print::DrawOp> ops = print::TestPage::plan(home.db(), 2, print::TestPage::Mode::Values);
        print::TestPage::setUpLikeBill(home.app(), device, 2);
        const QString fresh = QUuid::createUuid().toString();
        device.beginDocument();
        for (int form = 0; form < 100; ++form) {
            if (form > 0)
                device.newPage();
            print::ItemPlan::draw(ops, device);
            // A value no earlier job had, so an old file of the queue cannot pass.
            if (form == 0)
                device.drawText(0, 0, fresh);
        }
        device.endDocument();
        QByteArray received = device.lastStream();
        if (!queue.isEmpty()) {
            const QString out = QStringLiteral("/var/tmp/overprint-billraw/BillRaw.out");
            auto readOut = [&out] {
                QFile f(out);
                return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
            };
            QTRY_COMPARE_WITH_TIMEOUT(readOut(), device.lastStream(), 60000);
            received = readOut();
        }

        EscpDecoder decoded;
        QVERIFY2(decoded.decode(received), qPrintable(decoded.errors.join('\n')));
        QCOMPARE(decoded.formFeeds, 100);
        const QSizeF paper = device.paper().size.size(QPageSize::Inch);
        const double formInches = device.orientation() == print::PrintDevice::Orientation::Landscape
                                      ? paper.width()
                                      : paper.height();
        QVERIFY2(
            qAbs(decoded.formLength - formInches * EscpDecoder::kPerInch) <= EscpDecoder::kPerInch / 360,
            qPrintable(QStringLiteral("form length %1 for %2 in").arg(decoded.formLength).arg(formInches)));
        QVector<EscpDecoder::Run> first = decoded.runsOnPage(0);
        QVERIFY(!first.isEmpty() && first.first().text == fresh);
        first.removeFirst();
        const QVector<EscpDecoder::Run> last = decoded.runsOnPage(99);
        QVERIFY(!first.isEmpty());
        QCOMPARE(last.size(), first.size());
        const int tenthMm = EscpDecoder::kPerInch / 254; // 0.1 mm, rounded down
        for (int i = 0; i < first.size(); ++i) {
            QCOMPARE(last.at(i).text, first.at(i).text);
            QVERIFY(qAbs(last.at(i).x - first.at(i).x) <= tenthMm);
            QVERIFY(qAbs(last.at(i).y - first.at(i).y) <= tenthMm);
        }
    }

    // A character only GB18030 has: refused on a GB2312 printer before anything is sent, printed
    // on a GB18030 one.
    void characterSetDecides_data() {
        QTest::addColumn<bool>("gb2312");
        QTest::newRow("GB2312 printer") << true;
        QTest::newRow("GB18030 printer") << false;
    }

    void characterSetDecides() {
        QFETCH(bool, gb2312);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        home.app().setCurrentPrinter(kPrinter);
        const QString rare = QStringLiteral("䶮");
        home.db().exec(QStringLiteral("update NameDict set CtlData=:c || CtlData where CheckTypeName=(select "
                                      "TypeFirstName from CKTypeTable where CheckTypeID=1) and CtlData<>''"),
                       {{QStringLiteral("c"), rare}});
        QTemporaryDir dir;
        const QString raw = dir.filePath(QStringLiteral("job.prn"));
        const auto charset = gb2312 ? TextModeSettings::Charset::GB2312 : TextModeSettings::Charset::GB18030;
        EscpTextDevice device(textMode(180, 180, charset));
        device.setRawFile(raw);
        const bool printed = print::TestPage::print(home.app(), device, 1, print::TestPage::Mode::Values);
        QCOMPARE(printed, !gb2312);
        if (gb2312) {
            QVERIFY(!QFile::exists(raw));
            QVERIFY(device.lastStream().isEmpty());
            return;
        }
        QFile file(raw);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), device.lastStream());
        EscpDecoder decoded(EscpDecoder::Charset::GB18030);
        QVERIFY2(decoded.decode(device.lastStream()), qPrintable(decoded.errors.join('\n')));
        QVERIFY(std::any_of(decoded.runs.cbegin(), decoded.runs.cend(),
                            [&](const EscpDecoder::Run& r) { return r.text.startsWith(rare); }));
    }

    // Points map to the printer's sizes: a big value prints at four times the area.
    void bigFontPrintsLarge_data() {
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("cellWidth"); // of a Chinese character, 1/3600 inch
        QTest::addColumn<bool>("tall");
        QTest::newRow("small") << 7 << 360 << false;
        QTest::newRow("normal") << 10 << 600 << false;
        QTest::newRow("big") << 24 << 1200 << true;
    }

    void bigFontPrintsLarge() {
        QFETCH(int, points);
        QFETCH(int, cellWidth);
        QFETCH(bool, tall);
        EscpTextDevice device(textMode(180, 180));
        QTemporaryDir dir;
        device.setRawFile(dir.filePath(QStringLiteral("job.prn")));
        device.selectPrinter(kPrinter);
        device.beginDocument();
        device.setFontSize(points);
        device.drawText(180, 180, QStringLiteral("收货"));
        device.endDocument();
        EscpDecoder decoded;
        QVERIFY2(decoded.decode(device.lastStream()), qPrintable(decoded.errors.join('\n')));
        QCOMPARE(decoded.runs.size(), 1);
        const EscpDecoder::Run& run = decoded.runs.first();
        QCOMPARE(run.text, QStringLiteral("收货"));
        QCOMPARE(run.width, 2 * cellWidth);
        QCOMPARE(run.size.doubleHeight || run.size.quadruple || run.size.cnDoubleHeight, tall);
    }
};

OVERPRINT_TEST(TestTextModeJob)
#include "TestTextModeJob.moc"
