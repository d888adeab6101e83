#pragma once

#include "PrintFixture.h"
#include "print/BillPrinter.h"
#include "print/PrintGeometry.h"

#include <QComboBox>
#include <QLineEdit>
#include <QWidget>

// A bill of a dozen values on a real device, with the paper position (mm from the paper's
// top-left corner) each value's top-left corner must land on.
struct PrintedBill {
    struct Value {
        QString name;
        QString text;
        int x; // ctlx, tenths of mm
        int y; // ctly
    };

    QWidget form;
    QWidget* panel;
    QVector<Value> values{
        {QStringLiteral("zdPJBH"), QStringLiteral("NO.20240305-001"), 1650, 120},
        {QStringLiteral("zdGKMC"), QStringLiteral("王's店"), 300, 250},
        {QStringLiteral("zdGKLXR"), QStringLiteral("O'Brien"), 1500, 250},
        {QStringLiteral("zdGKPhone"), QStringLiteral("13800138000"), 300, 330},
        {QStringLiteral("zdGKAddr"), QStringLiteral("广东省深圳市南山区"), 1100, 330},
        {QStringLiteral("zdSFNR1"), QStringLiteral("螺丝刀"), 120, 520},
        {QStringLiteral("zdGuiGe1"), QStringLiteral("M3x25"), 600, 520},
        {QStringLiteral("zdSL1"), QStringLiteral("12"), 1050, 520},
        {QStringLiteral("zdDJ1"), QStringLiteral("3.50"), 1300, 520},
        {QStringLiteral("zdJE1"), QStringLiteral("42.00"), 1600, 520},
        {QStringLiteral("zdJEDX"), QStringLiteral("肆拾贰元整"), 300, 1000},
        {QStringLiteral("zdRemark"), QStringLiteral("REMARK-7"), 1200, 1100},
    };

    explicit PrintedBill(PrintFixture& f) {
        panel = new QWidget(&form);
        panel->setObjectName(QStringLiteral("panelImgBg"));
        auto* variant = new QComboBox(&form);
        variant->setObjectName(QStringLiteral("cbFirstTypeName"));
        variant->addItem(QStringLiteral("测试"));
        int order = 1;
        for (const Value& v : values) {
            auto* edit = new QLineEdit(v.text, panel);
            edit->setObjectName(v.name);
            f.addItem(v.name.toUpper(), order++);
            f.addLayout(v.name, {{QStringLiteral("CtlX"), v.x},
                                 {QStringLiteral("CtlY"), v.y},
                                 {QStringLiteral("CtlFontSize"), 11},
                                 {QStringLiteral("CtlW"), 0}});
        }
    }

    // Where the value's top-left lands on paper: the device position plus the printable
    // area's corner, in millimetres.
    static QPointF expectedMm(const Value& v, int xMove, int yMove, const print::DeviceMetrics& m) {
        const QPoint p = print::PrintGeometry::devicePosition(v.x + xMove, v.y + yMove, m);
        return {(p.x() + m.offsetX) * 25.4 / m.dpiX, (p.y() + m.offsetY) * 25.4 / m.dpiY};
    }
};
