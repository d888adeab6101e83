#include "entry/ui/BillBoxes.h"

#include "core/ui/TypingLimit.h"
#include "entry/BillMoney.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QTextDocument>

namespace entry::ui {

namespace {

template <class W> W* make(QWidget* parent, const QString& name, const QString& hint = {}) {
    auto* w = new W(parent);
    w->setObjectName(name);
    if (!hint.isEmpty())
        w->setToolTip(hint);
    return w;
}

QLineEdit* edit(QWidget* parent, const QString& name, const QString& hint = {}) {
    return make<QLineEdit>(parent, name, hint);
}

QComboBox* dropDown(QWidget* parent, const QString& name, const QString& hint = {}) {
    auto* box = make<QComboBox>(parent, name, hint);
    box->setEditable(true);
    return box;
}

QDateTimeEdit* datePicker(QWidget* parent, const QString& name) {
    auto* picker = make<QDateTimeEdit>(parent, name);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    return picker;
}

QLineEdit* amountBox(QWidget* parent, const QString& name) {
    QLineEdit* box = edit(parent, name);
    box->setReadOnly(true);
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return box;
}

QLineEdit* hiddenEditor(QWidget* parent, const QString& name) {
    QLineEdit* box = edit(parent, name);
    new core::ui::TypingLimit(15, box);
    box->hide();
    return box;
}

// Keeps a line of a text box whole at whatever height the layout gives the box: a box on one
// line of the form drops its own frame (the printed cell frames it) and, if that is not
// enough, takes a smaller font; its scroll bar shows only where two lines fit.
class LineFit final : public QObject {
public:
    explicit LineFit(QPlainTextEdit* box)
        : QObject(box), m_box(box), m_font(box->font()), m_frame(2 * box->frameWidth()) {
        box->document()->setDocumentMargin(1);
        box->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        // A shown box reports a frame change as a resize: the fit must not feed itself.
        if (watched == m_box && event->type() == QEvent::Resize && !m_fitting) {
            m_fitting = true;
            fit(static_cast<QResizeEvent*>(event)->size().height());
            m_fitting = false;
        }
        return false;
    }

private:
    void fit(int height) {
        const int margins = 2 * int(m_box->document()->documentMargin());
        QFont font = m_font;
        const bool framed = QFontMetrics(font).lineSpacing() + margins + m_frame <= height;
        const QFrame::Shape shape = framed ? QFrame::StyledPanel : QFrame::NoFrame;
        if (m_box->frameShape() != shape)
            m_box->setFrameShape(shape);
        const int room = height - margins - (framed ? m_frame : 0);
        for (int pixels = QFontInfo(font).pixelSize(); pixels > 8 && QFontMetrics(font).lineSpacing() > room;)
            font.setPixelSize(--pixels);
        if (m_box->font() != font)
            m_box->setFont(font);
        m_box->setVerticalScrollBarPolicy(
            QFontMetrics(font).lineSpacing() * 2 <= room ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    }

    QPlainTextEdit* m_box;
    QFont m_font;
    int m_frame; // the style's frame, top and bottom
    bool m_fitting = false;
};

} // namespace

BillBoxes::BillBoxes(QWidget* panel) {
    zdTitleFirst = edit(panel, QStringLiteral("zdTitleFirst"));
    zdTitleSub = edit(panel, QStringLiteral("zdTitleSub"));
    zdPJBH = edit(panel, QStringLiteral("zdPJBH"), QStringLiteral("票据编号"));
    zdOrderId = edit(panel, QStringLiteral("zdOrderId"), QStringLiteral("订单号"));
    SelDate = datePicker(panel, QStringLiteral("SelDate"));
    zdNianYueRi = edit(panel, QStringLiteral("zdNianYueRi"));
    zdNianYueRi->setReadOnly(true);
    SelDateOrder = datePicker(panel, QStringLiteral("SelDateOrder"));
    zdDateOrder = edit(panel, QStringLiteral("zdDateOrder"));
    zdDateOrder->setReadOnly(true);
    zdMoneyType = edit(panel, QStringLiteral("zdMoneyType"));

    zdGKMC = dropDown(panel, QStringLiteral("zdGKMC"));
    shpSKR = make<QFrame>(panel, QStringLiteral("shpSKR"), QStringLiteral("点击选取收款单位"));
    shpSKR->setFrameShape(QFrame::Box);
    shpSKR->setStyleSheet(QStringLiteral("QFrame#shpSKR { border: 2px solid red; }"));
    shpSKR->setCursor(Qt::PointingHandCursor);
    zdGKLXR = edit(panel, QStringLiteral("zdGKLXR"));
    zdGKAddr = edit(panel, QStringLiteral("zdGKAddr"));
    zdGKPhone = edit(panel, QStringLiteral("zdGKPhone"), QStringLiteral("电话"));
    zdGKHandset = edit(panel, QStringLiteral("zdGKHandset"), QStringLiteral("电话"));
    KPRen = dropDown(panel, QStringLiteral("KPRen"), QStringLiteral("开票人"));
    SKRen = dropDown(panel, QStringLiteral("SKRen"), QStringLiteral("收款人"));
    zdRemark = make<QPlainTextEdit>(panel, QStringLiteral("zdRemark"), QStringLiteral("备注"));
    new LineFit(zdRemark);
    for (int i = 1; i <= 10; ++i)
        zdDef << edit(panel, QStringLiteral("zdDef%1").arg(i), QStringLiteral("自定义%1").arg(i));
    zdSumSL = edit(panel, QStringLiteral("zdSumSL"), QStringLiteral("自定义10"));

    for (int n = 1; n <= lineCount; ++n) {
        GoodsLine& line = lines[n - 1];
        line.zdHuoHao = edit(panel, QStringLiteral("zdHuoHao%1").arg(n));
        line.zdSFNR = edit(panel, QStringLiteral("zdSFNR%1").arg(n));
        line.zdGuiGe = edit(panel, QStringLiteral("zdGuiGe%1").arg(n));
        line.zdDW = dropDown(panel, QStringLiteral("zdDW%1").arg(n));
        line.zdSL = edit(panel, QStringLiteral("zdSL%1").arg(n));
        line.zdDJ = edit(panel, QStringLiteral("zdDJ%1").arg(n));
        line.zdJE = amountBox(panel, QStringLiteral("zdJE%1").arg(n));
        line.zdJEXX = hiddenEditor(panel, QStringLiteral("zdJEXX%1").arg(n));
        line.zdPro = edit(panel, QStringLiteral("zdPro%1").arg(n));
    }

    zdHJJEXX = hiddenEditor(panel, QStringLiteral("zdHJJEXX"));
    zdHJJE = amountBox(panel, QStringLiteral("zdHJJE"));
    zdJEDX = edit(panel, QStringLiteral("zdJEDX"));
    zdJEDX->setReadOnly(true);
    inputJEXX =
        edit(panel, QStringLiteral("inputJEXX"), QStringLiteral("金额大写(只需输入小写,回车自动转换大写),"));
    inputJEXX->hide();
    for (const QString& name : BillMoney::digitCellNames()) {
        auto* cell = make<QLabel>(panel, name);
        cell->setText(QStringLiteral("零"));
        cell->setAlignment(Qt::AlignCenter);
        digitCells << cell;
    }

    for (int i = 0; i <= 5; ++i)
        defChecks << make<QCheckBox>(panel, QStringLiteral("DEFCHECK%1").arg(i));
    for (int i = 1; i <= 30; ++i)
        labels << make<QLabel>(panel, QStringLiteral("LB_%1").arg(i));
    for (int i = 1; i <= 30; ++i) {
        auto* line = make<QFrame>(panel, QStringLiteral("zdLine%1").arg(i));
        line->setFrameShape(QFrame::HLine);
        drawnLines << line;
    }

    cbFetcher = dropDown(panel, QStringLiteral("cbFetcher"));
    cbFetcher->hide();
}

} // namespace entry::ui
