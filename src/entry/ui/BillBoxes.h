#pragma once

#include <QList>

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace entry::ui {

// The boxes of one goods line.
struct GoodsLine {
    QLineEdit* zdHuoHao;
    QLineEdit* zdSFNR;
    QLineEdit* zdGuiGe;
    QComboBox* zdDW;
    QLineEdit* zdSL;
    QLineEdit* zdDJ;
    QLineEdit* zdJE;   // displayed amount
    QLineEdit* zdJEXX; // raw amount, edited in place of zdJE
    QLineEdit* zdPro;
};

// Every item box of the delivery note, created on the image panel under its item name so that
// the layout cache places it; the template decides which are shown.
class BillBoxes {
public:
    explicit BillBoxes(QWidget* panel);

    static constexpr int lineCount = 8;
    GoodsLine lines[lineCount];

    QLineEdit* zdTitleFirst;
    QLineEdit* zdTitleSub;
    QLineEdit* zdPJBH;
    QLineEdit* zdOrderId;
    QDateTimeEdit* SelDate;
    QLineEdit* zdNianYueRi;
    QDateTimeEdit* SelDateOrder;
    QLineEdit* zdDateOrder;
    QLineEdit* zdMoneyType;
    QComboBox* zdGKMC;
    QFrame* shpSKR;
    QLineEdit* zdGKLXR;
    QLineEdit* zdGKAddr;
    QLineEdit* zdGKPhone;
    QLineEdit* zdGKHandset;
    QComboBox* KPRen;
    QComboBox* SKRen;
    QPlainTextEdit* zdRemark;
    QList<QLineEdit*> zdDef; // zdDef1 .. zdDef10
    QLineEdit* zdSumSL;

    QLineEdit* zdHJJEXX;
    QLineEdit* zdHJJE;
    QLineEdit* zdJEDX;
    QLineEdit* inputJEXX;
    QList<QLabel*> digitCells; // zddxYY .. zddxF

    QList<QCheckBox*> defChecks; // DEFCHECK0 .. DEFCHECK5
    QList<QLabel*> labels;       // LB_1 .. LB_30
    QList<QFrame*> drawnLines;   // zdLine1 .. zdLine30

    // The drop-down editor of the free fields; the product picker is the window's own.
    QComboBox* cbFetcher;
};

} // namespace entry::ui
