#pragma once

#include "entry/MoneyText.h"
#include "entry/ui/NoteEditing.h"
#include "entry/ui/NoteWindow.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QWidget>

// A stand-in for the entry window: a plain form with every box of the note as a named child of
// panelImgBg, and the window's money rules reduced to what the tests observe.
class FakeNoteWindow final : public entry::ui::NoteWindow {
public:
    FakeNoteWindow() {
        form.setObjectName(QStringLiteral("TfmCheckFHDSHD"));
        form.resize(1000, 700);
        area = add<QWidget>(&form, "panelCheckArea");
        area->setGeometry(0, 40, 1000, 640);
        panel = add<QWidget>(area, "panelImgBg");
        panel->setGeometry(0, 0, 1000, 600);
        variantBox = add<QComboBox>(&form, "cbFirstTypeName");
        variantBox->addItem(QStringLiteral("测试"));
        for (const char* b : {"btSave", "btNew", "btPrint1", "btPrintAndSave", "btMultiPrintF", "btSaveAs"})
            add<QPushButton>(&form, b);
        for (const char* e :
             {"zdGKLXR", "zdGKAddr", "zdGKPhone", "zdGKHandset", "zdPJBH", "zdOrderId", "zdNianYueRi",
              "zdDateOrder", "zdMoneyType", "zdSumSL", "zdHJJEXX", "zdHJJE", "zdJEDX", "inputJEXX"})
            add<QLineEdit>(panel, e);
        for (const char* c : {"zdGKMC", "KPRen", "SKRen", "cfgMoneyType", "cfgDateFormat"})
            add<QComboBox>(panel, c)->setEditable(true);
        add<QFrame>(panel, "shpSKR")->setGeometry(300, 10, 30, 30);
        add<QPlainTextEdit>(panel, "zdRemark");
        add<QLabel>(panel, "bgImage");
        for (const char* d : {"SelDate", "SelDateOrder"})
            add<QDateTimeEdit>(panel, d)->setDateTime(QDateTime::currentDateTime());
        for (int i = 1; i <= 10; ++i)
            add<QLineEdit>(panel, qPrintable(QStringLiteral("zdDef%1").arg(i)))
                ->setGeometry(600, 20 * i, 80, 18);
        for (const char* cell : {"zddxYY", "zddxQW", "zddxBW", "zddxSW", "zddxWY", "zddxQY", "zddxBY",
                                 "zddxSY", "zddxY", "zddxJ", "zddxF"})
            add<QLabel>(panel, cell);
        for (int n = 1; n <= 8; ++n) {
            int x = 10;
            for (const char* prefix :
                 {"zdHuoHao", "zdSFNR", "zdGuiGe", "zdDW", "zdSL", "zdDJ", "zdJE", "zdJEXX", "zdPro"}) {
                const QByteArray name = prefix + QByteArray::number(n);
                QWidget* w = QByteArray(prefix) == "zdDW" ? static_cast<QWidget*>(add<QComboBox>(panel, name))
                                                          : add<QLineEdit>(panel, name);
                if (auto* combo = qobject_cast<QComboBox*>(w))
                    combo->setEditable(true);
                w->setGeometry(x, 100 + 24 * n, 60, 20);
                x += 62;
            }
            box(QStringLiteral("zdJEXX%1").arg(n))->hide();
        }
        form.show();
        // Focus events, which drive most editing rules, reach only an active window.
        form.activateWindow();
        active = QTest::qWaitForWindowActive(&form);
    }

    QWidget* box(const QString& name) const {
        for (QWidget* w : form.findChildren<QWidget*>())
            if (w->objectName().compare(name, Qt::CaseInsensitive) == 0)
                return w;
        return nullptr;
    }
    QString text(const QString& name) const { return entry::ui::NoteEditing::textOf(box(name)); }
    void setText(const QString& name, const QString& value) {
        entry::ui::NoteEditing::setTextOf(box(name), value);
    }

    QWidget* container() override { return panel; }
    QWidget* noteForm() override { return &form; }
    bool lineAmountRule(int line) override {
        lineRules << line;
        const QString raw = text(QStringLiteral("zdJEXX%1").arg(line)).trimmed();
        double v = 0;
        setText(QStringLiteral("zdJE%1").arg(line), raw.isEmpty() || !entry::parseDecimal(raw, v)
                                                        ? QString()
                                                        : entry::FormatLineAmount(v, false));
        if (editing)
            if (const std::optional<QString> total = editing->SumAllJE())
                totalRule(*total);
        return true;
    }
    void totalRule(const QString& total) override {
        totals << total;
        const QString t = total.trimmed().isEmpty() ? QStringLiteral("0") : total;
        setText(QStringLiteral("zdHJJEXX"), entry::roundDecimalText(t, 2));
        setText(QStringLiteral("zdJEDX"),
                t == QLatin1String("0") ? QString() : entry::AmountToChineseCapitals(t));
    }
    void commitTypedTotal(const QString& total) override {
        typedTotals << total;
        totalRule(total);
    }
    void setCurrency(const QString& name) override { setText(QStringLiteral("cfgMoneyType"), name); }
    QString variant() const override { return variantBox->currentText(); }
    int templateId() const override { return id; }
    bool selectVariant(const QString& v) override {
        selected << v;
        return true;
    }
    QString getItemCheckTitle() const override { return ticked; }
    void setItemCheckTitle(const QString& captions) override { ticked = captions; }
    void setWindowCaption(const QString& caption) override {
        form.setWindowTitle(caption);
        captions << caption;
    }

    QWidget form;
    bool active = false;
    QWidget* area = nullptr;
    QWidget* panel = nullptr;
    QComboBox* variantBox = nullptr;
    entry::ui::NoteEditing* editing = nullptr;
    int id = 900;
    QString ticked;
    QList<int> lineRules;
    QStringList totals;
    QStringList typedTotals;
    QStringList selected;
    QStringList captions;

private:
    template <typename W> W* add(QWidget* parent, const char* name) {
        auto* w = new W(parent);
        w->setObjectName(QString::fromUtf8(name));
        return w;
    }
    template <typename W> W* add(QWidget* parent, const QByteArray& name) {
        return add<W>(parent, name.constData());
    }
};
