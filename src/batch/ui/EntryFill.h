#pragma once

#include "batch/OrderFill.h"
#include "batch/PrintRun.h"

#include <QPointer>
#include <QString>

namespace core {
class AppContext;
}
namespace entry::ui {
class TfmCheckFHDSHD;
}

namespace batch::ui {

// The goods lines the window's form shows (1 … 8, ascending): a line is on the form when any of
// the boxes an order fills is shown. Lines the template hides are neither printed nor totalled.
QList<int> formLines(entry::ui::TfmCheckFHDSHD& window);

// Writes one order into the entry window: every goods line, the capitals and the totals are
// emptied first, then the plan is set and the window's line and total rules run, their
// messages held back. An order with more goods lines than the form shows is skipped with the
// boxes untouched.
FillOutcome fillEntryWindow(core::AppContext& app, entry::ui::TfmCheckFHDSHD& window, const QString& number,
                            bool withRemark);
// The same for an order read already.
FillOutcome fillEntryWindow(core::AppContext& app, entry::ui::TfmCheckFHDSHD& window, const Order& order,
                            bool withRemark);

// The job calls of a batch run on the entry window. The window is held by a guarded pointer:
// once it is gone every call does nothing and fill says so.
class EntrySteps final : public JobSteps {
public:
    EntrySteps(core::AppContext& app, entry::ui::TfmCheckFHDSHD* window, bool withRemark);
    ~EntrySteps() override;
    Q_DISABLE_COPY_MOVE(EntrySteps)

    bool prepare() override;
    void begin() override;
    bool ready() const override;
    FillOutcome fill(const QString& number) override;
    void send() override;
    void newPage() override;
    bool end() override;
    void abort() override;

    bool windowGone() const { return !m_window; }
    // The numbers the run will fill, in their order: their orders are read a hundred at a time
    // ahead of the fill instead of one by one. A number outside them is read when it comes.
    void setOrders(const QStringList& numbers);
    static QString goneMessage();

private:
    core::AppContext& m_app;
    QPointer<entry::ui::TfmCheckFHDSHD> m_window;
    bool m_withRemark;
    QString m_number;      // the order the boxes hold, journalled with its page
    bool m_filled = false; // an order went into the boxes
    static constexpr int kAhead = 100;
    void readAhead(const QString& number);
    QStringList m_numbers;
    qsizetype m_aheadFrom = 0; // where the next read ahead looks for its first number
    QHash<QString, Order> m_ahead;
};

} // namespace batch::ui
