#include "core/Recordset.h"
#include "print/ControlValues.h"
#include "print/ItemPlan.h"
#include "print/NoteCopy.h"
#include "print/ScreenCanvas.h"
#include "support/PdfWords.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"
#include "templates/PreviewPlan.h"

#include <QDir>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using print::NoteCopy;

namespace {

// A note's boxes holding what the preview shows for each printable item of the delivery note,
// so the copy and the preview draw the same values. Items may span lines, hence plain text.
std::unique_ptr<QWidget> previewValues(core::Database& db, const QString& customer) {
    auto form = std::make_unique<QWidget>();
    core::Recordset items = db.query(QStringLiteral(
        "select ctlName, ctlData, ctlLabel from NameDict where CheckTypeName='出货单' and PrintItem=1"));
    for (items.first(); !items.eof(); items.next()) {
        auto* box = new QPlainTextEdit(form.get());
        const QString name = items.text(QStringLiteral("ctlName"));
        box->setObjectName(name);
        QString value = items.text(QStringLiteral("ctlData"));
        if (value.isEmpty())
            value = items.text(QStringLiteral("ctlLabel")).trimmed();
        if (name.compare(QLatin1String("zdGKMC"), Qt::CaseInsensitive) == 0)
            value = customer;
        box->setPlainText(value);
    }
    return form;
}

QImage blank(const QSize& size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

int inked(const QImage& image) {
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            dark += qGray(image.pixel(x, y)) < 128;
    return dark;
}

const QString kCustomer = QStringLiteral("南方商贸有限公司");

} // namespace

// The customer's copy shows the note as the preview shows it: the same item plan, the same
// values in the same places, over the template's form; the template's printer offsets move
// the printer's marks only.
class TestNoteCopy : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> m_home;

    void shiftPrinter(int id) {
        m_home->db().exec(QStringLiteral("update CKTypeTable set XMove=57, YMove=-31 where CheckTypeID=:id"),
                          {{QStringLiteral("id"), id}});
    }

private slots:
    void init() {
        m_home = std::make_unique<TestHome>();
        QVERIFY2(m_home->isValid(), qPrintable(m_home->error()));
    }

    void sameAsPreview_data() {
        QTest::addColumn<int>("templateId");
        QTest::addColumn<int>("dpi");
        QTest::newRow("标准 150 dpi") << 1 << 150;
        QTest::newRow("三联241 96 dpi") << 2 << 96;
    }
    // Without the form under them, the copy's values are pixel for pixel the preview's drawing of
    // the same values at the same resolution.
    void sameAsPreview() {
        QFETCH(int, templateId);
        QFETCH(int, dpi);
        shiftPrinter(templateId);
        const templates::PreviewPlan plan = templates::PreviewPlan::load(m_home->db(), templateId);
        QVERIFY(plan.found && !plan.ops.isEmpty());
        const auto form = previewValues(m_home->db(), kCustomer);
        print::ControlValues values(m_home->app());
        const NoteCopy::Form paper{QImage(), QSizeF(plan.paperWidth / 10.0, plan.paperHeight / 10.0)};
        const QImage copy =
            NoteCopy::render(m_home->app(), paper, templateId, print::ControlIndex(values, form.get()),
                             QString(), dpi, NoteCopy::Fit::Form);

        QVector<print::DrawOp> ops = plan.ops;
        for (print::DrawOp& op : ops)
            if (op.text == QStringLiteral("深圳市星河电子有限公司")) // the customer's test value
                op.text = kCustomer;
        QImage preview = blank(copy.size());
        QPainter painter(&preview);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        print::ScreenCanvas canvas(painter, dpi, dpi);
        print::ItemPlan::draw(ops, canvas);
        painter.end();

        QVERIFY(inked(preview) > 1000);
        if (copy != preview) {
            const QString dir = QDir::temp().filePath(QStringLiteral("note-copy-%1").arg(templateId));
            QDir().mkpath(dir);
            copy.save(dir + QStringLiteral("/copy.png"));
            preview.save(dir + QStringLiteral("/preview.png"));
            QFAIL(qPrintable(QStringLiteral("the copy differs from the preview, both in ") + dir));
        }
        QVERIFY(m_home->dialogs().texts().isEmpty());
    }

    void pdfReadsBackInPlace_data() {
        QTest::addColumn<int>("fit");
        QTest::addColumn<QSizeF>("page");
        QTest::newRow("form") << int(NoteCopy::Fit::Form) << QSizeF(241, 140);
        QTest::newRow("a4") << int(NoteCopy::Fit::A4) << QSizeF(297, 210);
    }
    // The PDF, with the form under the values, reads back with the customer where the plan puts
    // it (scaled onto A4 when asked), and a second note is a second page.
    void pdfReadsBackInPlace() {
        QFETCH(int, fit);
        QFETCH(QSizeF, page);
        shiftPrinter(1);
        const templates::PreviewPlan plan = templates::PreviewPlan::load(m_home->db(), 1);
        QPoint planned(-1, -1);
        for (const print::DrawOp& op : plan.ops)
            if (op.text == QStringLiteral("深圳市星河电子有限公司"))
                planned = {op.x, op.y};
        QVERIFY(planned.x() >= 0);
        const auto form = previewValues(m_home->db(), kCustomer);
        print::ControlValues values(m_home->app());
        QTemporaryDir out;
        const QString path = out.filePath(QStringLiteral("copy.pdf"));
        {
            NoteCopy copy(m_home->app(), path, {NoteCopy::Format::Pdf, NoteCopy::Fit(fit), 150});
            copy.addNote(1, print::ControlIndex(values, form.get()), QString());
            copy.addNote(2, print::ControlIndex(values, form.get()), QString());
            QVERIFY(!QFile::exists(path)); // written under its temporary name until finished
            copy.finish();
        }
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"copy.pdf"});
        const PdfWords words = PdfWords::read(path);
        QVERIFY2(words.error.isEmpty(), qPrintable(words.error));
        QCOMPARE(words.pages.size(), 2);
        QVERIFY(qAbs(words.pages.at(0).width - page.width()) < 0.5);
        QVERIFY(qAbs(words.pages.at(0).height - page.height()) < 0.5);
        const QPointF expected =
            NoteCopy::formOnPage(QSizeF(241, 140), NoteCopy::Fit(fit)).map(QPointF(planned) / 10.0);
        bool found = false;
        for (const PdfWords::Word& w : words.words)
            if (w.page == 1 && w.text == kCustomer) {
                found = true;
                QVERIFY2(qAbs(w.left - expected.x()) < 1.0 && qAbs(w.top - expected.y()) < 1.5,
                         qPrintable(QStringLiteral("at %1,%2 mm, planned %3,%4")
                                        .arg(w.left)
                                        .arg(w.top)
                                        .arg(expected.x())
                                        .arg(expected.y())));
            }
        QVERIFY2(found, qPrintable(words.texts()));
        QVERIFY(QFileInfo(path).size() < 1024 * 1024);
    }

    void fileNames_data() {
        QTest::addColumn<QString>("customer");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "南方商贸"
                               << "出货单（标准）-NO-1-南方商贸.png";
        QTest::newRow("slashes") << "A/B\\C"
                                 << "出货单（标准）-NO-1-A_B_C.png";
        QTest::newRow("colons and the rest") << "a:*?\"<>|b"
                                             << "出货单（标准）-NO-1-a_b.png";
        QTest::newRow("control") << "甲\n\t乙"
                                 << "出货单（标准）-NO-1-甲_乙.png";
        QTest::newRow("hidden") << "..profile"
                                << "出货单（标准）-NO-1-profile.png";
        QTest::newRow("none") << ""
                              << "出货单（标准）-NO-1.png";
        QTest::newRow("only refused") << "///"
                                      << "出货单（标准）-NO-1-_.png";
        QTest::newRow("long") << QString(300, QChar(0x5546)) << QString();
    }
    // A customer's name never escapes the folder or breaks the name: no separator, nothing a
    // file system refuses, within 255 bytes.
    void fileNames() {
        QFETCH(QString, customer);
        QFETCH(QString, expected);
        const QString name = NoteCopy::fileName(QStringLiteral("出货单（标准）"), QStringLiteral("NO-1"),
                                                customer, QStringLiteral("png"));
        if (!expected.isEmpty())
            QCOMPARE(name, expected);
        QVERIFY(name.toUtf8().size() <= 255);
        QVERIFY(name.endsWith(QLatin1String(".png")));
        QTemporaryDir dir;
        QFile file(dir.filePath(name));
        QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{name});
    }
};

OVERPRINT_TEST(TestNoteCopy)
#include "TestNoteCopy.moc"
