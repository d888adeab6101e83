#include "entry/ui/OptionBar.h"

#include "entry/EntryOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace entry::ui {

OptionBar::OptionBar(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("shortbar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    auto* rows = new QVBoxLayout(this);
    // Tight rows: on a 768-pixel screen the standard form and both rows just fit unscrolled.
    rows->setContentsMargins(4, 0, 4, 0);
    rows->setSpacing(0);
    auto* printRow = new QHBoxLayout;
    auto* moneyRow = new QHBoxLayout;
    rows->addLayout(printRow);
    rows->addLayout(moneyRow);

    for (const OptionDef& option : EntryOptions::table()) {
        // The print options and the date format share the first row, the money options the second.
        const bool moneyOption = option.name.startsWith(QLatin1String("cfgJE")) ||
                                 option.name.startsWith(QLatin1String("cfgHJ")) ||
                                 option.name.startsWith(QLatin1String("cfgTotal"));
        QHBoxLayout* row = moneyOption ? moneyRow : printRow;
        if (option.kind == OptionDef::Check) {
            auto* box = new QCheckBox(option.caption, this);
            box->setObjectName(option.name);
            row->addWidget(box);
            m_checks.insert(option.name, box);
            continue;
        }
        if (!option.caption.isEmpty())
            row->addWidget(new QLabel(option.caption, this));
        auto* combo = new QComboBox(this);
        combo->setObjectName(option.name);
        combo->addItems(option.name == QLatin1String("cfgDateFormat") ? EntryOptions::dateFormats()
                                                                      : EntryOptions::capitalFormats());
        combo->setCurrentIndex(-1);
        row->addWidget(combo);
        m_lists.insert(option.name, combo);
    }
    printRow->addWidget(new QLabel(QStringLiteral("币种："), this));
    m_money = new QComboBox(this);
    m_money->setObjectName(QStringLiteral("cfgMoneyType"));
    printRow->addWidget(m_money);
    printRow->addStretch();
    m_remember = new QPushButton(QStringLiteral("【记住选项】"), this);
    m_remember->setObjectName(QStringLiteral("btRemember"));
    printRow->addWidget(m_remember);
    moneyRow->addStretch();
}

bool OptionBar::isChecked(const QString& name) const {
    const QCheckBox* box = check(name);
    return box && box->isChecked();
}

MoneyOptions OptionBar::moneyOptions() const {
    MoneyOptions o;
    o.totalWithSymbol = isChecked(QStringLiteral("cfgTotalJEWithSheep"));
    o.totalThousands = isChecked(QStringLiteral("cfgHJJENeedQianFF"));
    o.totalWithYuan = isChecked(QStringLiteral("cfgHJJEXXWithYuan"));
    o.lineWithSymbol = isChecked(QStringLiteral("cfgJENeedSheep"));
    o.lineThousands = isChecked(QStringLiteral("cfgJEXXNeedQianFF"));
    o.nonStandard = isChecked(QStringLiteral("cfgJEDXFormatNoStandard"));
    o.currencyAlways = isChecked(QStringLiteral("cfgJEDXRMBChecked"));
    return o;
}

} // namespace entry::ui
