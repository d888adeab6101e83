#pragma once

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace core {
class AppContext;
}
namespace core::ui {
class GridServices;
}
namespace masterdata {
class TPerson;
}

namespace masterdata::ui {

class Tfm_PersonManage;
class Tfrm_PersonInfo;

// The one owner of the address book's windows. The manager is kept between browsing openings
// and destroyed after every pick; the edit form is kept for good. Each reaches the other only
// through here, by guarded pointers, so a kept edit form never calls into a destroyed manager.
class AddressBook {
public:
    AddressBook(core::AppContext& app, core::ui::GridServices& grids, QWidget* parent);
    ~AddressBook();
    Q_DISABLE_COPY_MOVE(AddressBook)

    // The main window's default issuer must be read again.
    std::function<void()> reloadDefaultIssuer;
    // After a new default issuer: "默认出票人已经修改，请重新填开票据！" and the open bills closed
    // when there are any.
    std::function<void()> closeBills;
    // A unit was stored (edit form, or a bill's party saved at once): lists of units read again.
    std::function<void()> unitSaved;

    // Browsing: an empty type runs 全部, "我方单位" / "往来单位" open on that tab.
    void openManager(const QString& unitType);
    // Selection: the unit double-clicked, owned by the caller, or nullptr.
    std::unique_ptr<TPerson> fetchOnePerson(const QString& kind, const QString& caption);
    // Saves a party typed on a bill: a stored record at once, else through the edit form,
    // opened on the matching unit (or empty) with the typed fields written over it.
    void saveParty(const TPerson* typed);

    // The manager while it exists (between browsing openings, or during a pick).
    Tfm_PersonManage* manager() const;
    Tfrm_PersonInfo& personInfo();

private:
    Tfm_PersonManage& ensureManager();
    void editUnit(int id, const QString& unitType, const QString& group);

    core::AppContext& m_app;
    core::ui::GridServices& m_grids;
    QPointer<QWidget> m_parent;
    QPointer<Tfm_PersonManage> m_manager;
    QPointer<Tfrm_PersonInfo> m_form;
};

} // namespace masterdata::ui
