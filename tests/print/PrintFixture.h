#pragma once

#include "print/RecordingPrintDevice.h"
#include "support/TestHome.h"

#include <QStringList>
#include <QVariantMap>

// A program folder with one template (id 900) of the delivery-note kind and no items: each
// test adds the layout rows and item definitions it asserts on. The recording device runs at
// 254 dpi without offsets, so one device pixel is exactly a tenth of a millimetre.
struct PrintFixture {
    static constexpr int kTemplate = 900;

    TestHome home;
    print::RecordingPrintDevice device;

    PrintFixture() {
        device.dpiX = 254;
        device.dpiY = 254;
        if (!home.isValid())
            return;
        home.db().exec(QStringLiteral("delete from NameDict where CheckTypeName=:kind"),
                       {{QStringLiteral("kind"), QStringLiteral("出货单")}});
        home.db().exec(QStringLiteral("delete from ckControl where CheckTypeID=:id"),
                       {{QStringLiteral("id"), kTemplate}});
        insert(QStringLiteral("CKTypeTable"), {{QStringLiteral("CheckTypeID"), kTemplate},
                                               {QStringLiteral("TypeName"), QStringLiteral("出货单（测试）")},
                                               {QStringLiteral("TypeFirstName"), QStringLiteral("出货单")},
                                               {QStringLiteral("TypeDescribe"), QStringLiteral("测试")},
                                               {QStringLiteral("XMove"), 0},
                                               {QStringLiteral("YMove"), 0},
                                               {QStringLiteral("HVPrint"), QStringLiteral("0")},
                                               {QStringLiteral("Visiable"), QStringLiteral("启用")}});
        home.app().currentCheckTypeId = kTemplate;
        home.app().setCurrentPrinter(QString());
    }

    // The test template's whole-bill offset (tenths of a millimetre) and paper direction.
    void placeTemplate(int xMove, int yMove, const QString& hvPrint) {
        home.db().exec(
            QStringLiteral("update CKTypeTable set XMove=:x, YMove=:y, HVPrint=:hv where CheckTypeID=:id"),
            {{QStringLiteral("x"), xMove},
             {QStringLiteral("y"), yMove},
             {QStringLiteral("hv"), hvPrint},
             {QStringLiteral("id"), kTemplate}});
    }

    void insert(const QString& table, const QVariantMap& values) {
        // Parameters get ASCII names: column names may be Chinese.
        QStringList names;
        QStringList params;
        QVariantMap bound;
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            const QString param = QStringLiteral("p") + QString::number(names.size());
            names << it.key();
            params << QLatin1Char(':') + param;
            bound.insert(param, it.value());
        }
        home.db().exec(QStringLiteral("insert into ") + table + QStringLiteral(" (") +
                           names.join(QLatin1Char(',')) + QStringLiteral(") values (") +
                           params.join(QLatin1Char(',')) + QLatin1Char(')'),
                       bound);
    }

    // A layout row printed and shown, at ctlx 100 / ctly 200 in 10 pt unless overridden.
    void addLayout(const QString& name, const QVariantMap& overrides = {}, int templateId = kTemplate) {
        QVariantMap row{{QStringLiteral("CheckTypeID"), templateId},
                        {QStringLiteral("CtlName"), name},
                        {QStringLiteral("CtlType"), QStringLiteral("TEXT")},
                        {QStringLiteral("CtlX"), 100},
                        {QStringLiteral("CtlY"), 200},
                        {QStringLiteral("CtlW"), 300},
                        {QStringLiteral("CtlH"), 50},
                        {QStringLiteral("ctlLH"), 45},
                        {QStringLiteral("NeedShow"), 1},
                        {QStringLiteral("NeedPrint"), 1},
                        {QStringLiteral("CtlFontName"), QStringLiteral("宋体")},
                        {QStringLiteral("CtlFontSize"), 10},
                        {QStringLiteral("BreakFontSize"), 8},
                        {QStringLiteral("BreakNum"), QString()},
                        {QStringLiteral("FitParam"), QString()},
                        {QStringLiteral("Align"), QStringLiteral("0")},
                        {QStringLiteral("CtlFontColor"), QStringLiteral("0")},
                        {QStringLiteral("Bold"), 0},
                        {QStringLiteral("Italic"), 0},
                        {QStringLiteral("UnderLine"), 0}};
        for (auto it = overrides.cbegin(); it != overrides.cend(); ++it)
            row.insert(it.key(), it.value());
        insert(QStringLiteral("ckControl"), row);
    }

    void addItem(const QString& name, int showOrd, const QString& type = QStringLiteral("TEXT"),
                 int printItem = 1) {
        insert(QStringLiteral("NameDict"), {{QStringLiteral("CheckTypeName"), QStringLiteral("出货单")},
                                            {QStringLiteral("CtlName"), name},
                                            {QStringLiteral("CtlLabel"), name},
                                            {QStringLiteral("CtlType"), type},
                                            {QStringLiteral("PrintItem"), printItem},
                                            {QStringLiteral("ShowOrd"), showOrd}});
    }

    int printItemOf(const QString& name) {
        return home.db()
            .scalar(
                QStringLiteral("select PrintItem from NameDict where CheckTypeName=:kind and CtlName=:name"),
                {{QStringLiteral("kind"), QStringLiteral("出货单")}, {QStringLiteral("name"), name}})
            .toInt();
    }

    // "x,y,size:text" of every text drawn, in order.
    QStringList drawn() const {
        QStringList out;
        for (const auto& t : device.texts)
            out << QStringLiteral("%1,%2,%3:%4").arg(t.x).arg(t.y).arg(t.size).arg(t.text);
        return out;
    }
};
