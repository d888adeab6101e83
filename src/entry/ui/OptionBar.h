#pragma once

#include "entry/BillMoney.h"

#include <QFrame>
#include <QHash>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace entry::ui {

// The option bar (shortbar) at the bottom of the image panel: the template's print and money
// options, the currency and 【记住选项】. Controls carry their option names.
class OptionBar final : public QFrame {
    Q_OBJECT
public:
    explicit OptionBar(QWidget* parent);

    QCheckBox* check(const QString& name) const { return m_checks.value(name); }
    QComboBox* list(const QString& name) const { return m_lists.value(name); }
    QComboBox* cfgMoneyType() const { return m_money; }
    QPushButton* btRemember() const { return m_remember; }

    MoneyOptions moneyOptions() const;
    bool isChecked(const QString& name) const;

private:
    QHash<QString, QCheckBox*> m_checks;
    QHash<QString, QComboBox*> m_lists;
    QComboBox* m_money;
    QPushButton* m_remember;
};

} // namespace entry::ui
