#pragma once

#include "accounts/StatementDocument.h"

#include <QDialog>
#include <optional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollArea;

namespace core {
class AppContext;
}
namespace print {
class PrintDevice;
}

namespace accounts::ui {

// The pages of a statement drawn on the screen through the same layout as on paper, one under
// the other.
class StatementPreview : public QWidget {
    Q_OBJECT
public:
    explicit StatementPreview(QWidget* parent = nullptr);
    void setDocument(const StatementDocument* document);
    QSize sizeHint() const override;
    // Screen pixels per inch of the drawn pages.
    static constexpr int kDpi = 80;
    static constexpr int kGap = 16;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSize pageSize() const;
    const StatementDocument* m_document = nullptr;
};

// 对账单: a customer's statement of a period previewed, printed on the program's printer,
// saved as PDF or exported as a workbook; or every customer with activity at once. The size
// is kept.
class TfrmStatement : public QDialog {
    Q_OBJECT
public:
    TfrmStatement(core::AppContext& app, print::PrintDevice& device, QWidget* parent = nullptr);
    ~TfrmStatement() override;

    enum class Range { ThisMonth, LastMonth, Dates };
    void setCustomer(const QString& customer);
    void setRange(Range range);
    void setDates(const QDate& from, const QDate& to);
    void setWithGoods(bool on);

    // Reads the statement anew and redraws the preview.
    void refresh();
    void printStatement();
    void savePdf();
    void exportExcel();
    void allCustomers();

    Period period() const;
    const StatementDocument* document() const { return m_document ? &*m_document : nullptr; }

private:
    bool ready();

    core::AppContext& m_app;
    print::PrintDevice& m_device;
    QComboBox* m_customer;
    QRadioButton* m_thisMonth;
    QRadioButton* m_lastMonth;
    QRadioButton* m_dates;
    QDateEdit* m_from;
    QDateEdit* m_to;
    QCheckBox* m_goods;
    QScrollArea* m_scroll;
    StatementPreview* m_preview;
    QLabel* m_status;
    QList<QPushButton*> m_outputs;
    std::optional<StatementDocument> m_document;
};

} // namespace accounts::ui
