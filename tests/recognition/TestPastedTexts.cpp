#include "PastedTexts.h"
#include "TestHome.h"
#include "TestRegistry.h"
#include "recognition/AddressRecogniser.h"

#include <QTest>

using recognition::AddressRecogniser;
using recognition::RecognitionData;

namespace {

struct Shares {
    int fields = 0, fieldsRight = 0, texts = 0, streetsRight = 0, textsRight = 0;
    QStringList misses;
};

Shares measure(const RecognitionData& data, bool mend) {
    Shares shares;
    for (const PastedText& sample : kPastedTexts) {
        AddressRecogniser r(data);
        r.mend = mend;
        r.containProvinceCity = false;
        r.recognise(r.normalise(QString::fromUtf8(sample.text)));
        const QList<QPair<QString, const char*>> got = {
            {r.company.text, sample.company},   {r.name.text, sample.contact},
            {r.phone.text, sample.phone},       {r.handset.text, sample.mobile},
            {r.province.text, sample.province}, {r.city.text, sample.city},
            {r.town.text, sample.town},         {r.address.text, sample.street},
            {r.zipcode.text, sample.postcode},
        };
        int right = 0;
        QStringList wrong;
        for (const auto& [value, expected] : got) {
            if (value == QString::fromUtf8(expected))
                ++right;
            else
                wrong << QStringLiteral("'%1'≠'%2'").arg(value, QString::fromUtf8(expected));
        }
        shares.fields += got.size();
        shares.fieldsRight += right;
        ++shares.texts;
        shares.streetsRight += r.address.text == QString::fromUtf8(sample.street) ? 1 : 0;
        shares.textsRight += right == got.size() ? 1 : 0;
        if (!wrong.isEmpty())
            shares.misses
                << QString::fromUtf8(sample.text).left(24).replace(QLatin1Char('\n'), QLatin1Char('/')) +
                       QStringLiteral(": ") + wrong.join(QStringLiteral(" "));
    }
    return shares;
}

void report(const char* what, const Shares& s) {
    qInfo("%s: fields right %.1f%% (%d/%d), street right %.1f%%, all fields right %.1f%% (%d/%d texts)", what,
          100.0 * s.fieldsRight / s.fields, s.fieldsRight, s.fields, 100.0 * s.streetsRight / s.texts,
          100.0 * s.textsRight / s.texts, s.textsRight, s.texts);
}

} // namespace

class TestPastedTexts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        m_data = RecognitionData::load(home.db());
        QVERIFY(!m_data.characterFixes.isEmpty());
    }

    void sharesOfFieldsRight() {
        const Shares before = measure(m_data, false);
        const Shares after = measure(m_data, true);
        report("as first specified", before);
        report("with the corrections", after);
        for (const QString& miss : after.misses)
            qInfo("%s", qPrintable(miss));
        QVERIFY(std::size(kPastedTexts) >= 60);
        QVERIFY(after.fieldsRight * 100 >= after.fields * 97);
        QVERIFY(after.streetsRight * 100 >= after.texts * 90);
        QVERIFY(after.textsRight * 100 >= after.texts * 85);
    }

private:
    RecognitionData m_data;
};

OVERPRINT_TEST(TestPastedTexts)
#include "TestPastedTexts.moc"
