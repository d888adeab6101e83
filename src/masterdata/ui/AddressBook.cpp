#include "masterdata/ui/AddressBook.h"

#include "core/AppContext.h"
#include "core/DbError.h"
#include "masterdata/PersonStore.h"
#include "masterdata/TPerson.h"
#include "masterdata/ui/Tfm_PersonManage.h"
#include "masterdata/ui/Tfrm_PersonInfo.h"

namespace masterdata::ui {

AddressBook::AddressBook(core::AppContext& app, core::ui::GridServices& grids, QWidget* parent)
    : m_app(app), m_grids(grids), m_parent(parent) {}

AddressBook::~AddressBook() {
    delete m_manager.data();
    delete m_form.data();
}

Tfm_PersonManage* AddressBook::manager() const {
    return m_manager;
}

Tfrm_PersonInfo& AddressBook::personInfo() {
    if (!m_form) {
        m_form = new Tfrm_PersonInfo(m_app, m_parent);
        m_form->onSaved = [this](const TPerson& saved, bool fromManager) {
            if (fromManager && m_manager)
                m_manager->requery();
            if (saved.group() == PersonStore::kDefaultIssuer && reloadDefaultIssuer)
                reloadDefaultIssuer();
            if (unitSaved)
                unitSaved();
        };
    }
    return *m_form;
}

Tfm_PersonManage& AddressBook::ensureManager() {
    if (!m_manager) {
        m_manager = new Tfm_PersonManage(m_app, m_grids, m_parent);
        Tfm_PersonManage::Hooks hooks;
        hooks.editUnit = [this](int id, const QString& type, const QString& group) {
            editUnit(id, type, group);
        };
        hooks.reloadDefaultIssuer = [this] {
            if (reloadDefaultIssuer)
                reloadDefaultIssuer();
        };
        hooks.closeBills = [this] {
            if (closeBills)
                closeBills();
        };
        m_manager->setHooks(std::move(hooks));
    }
    return *m_manager;
}

void AddressBook::editUnit(int id, const QString& unitType, const QString& group) {
    Tfrm_PersonInfo& form = personInfo();
    if (id > 0) {
        if (!form.loadByID(id)) {
            // Deleted meanwhile: show what is left instead of editing a row that is gone.
            if (m_manager)
                m_manager->requery();
            return;
        }
    } else {
        form.btResetClick();
        if (!unitType.isEmpty())
            form.setUnitType(unitType);
        if (!group.isEmpty())
            form.setGroup(group);
    }
    form.showModalFrom(true);
}

void AddressBook::openManager(const QString& unitType) {
    ensureManager().showBrowsing(unitType);
}

std::unique_ptr<TPerson> AddressBook::fetchOnePerson(const QString& kind, const QString& caption) {
    // A pick always ends with the manager gone, so the next opening starts fresh.
    struct Release {
        QPointer<Tfm_PersonManage>& manager;
        ~Release() { delete manager.data(); }
    } release{m_manager};
    return ensureManager().pick(kind, caption);
}

void AddressBook::saveParty(const TPerson* typed) {
    if (!typed)
        return;
    if (typed->id() > 0) {
        TPerson stored = *typed;
        try {
            PersonStore(m_app.db()).save(stored);
        } catch (const core::DbError& e) {
            m_app.dialogs().message(QStringLiteral("添加更新失败，Error=") + e.message());
            return;
        }
        if (unitSaved)
            unitSaved();
        return;
    }
    Tfrm_PersonInfo& form = personInfo();
    const std::unique_ptr<TPerson> match = TPerson::findMatch(m_app.db(), *typed);
    if (!(match && match->id() > 0 && form.loadByID(match->id())))
        form.btResetClick();
    form.overwriteWith(*typed);
    form.setUnitType(typed->unitType() == PersonStore::kPartnerUnit ? PersonStore::kPartnerUnit
                                                                    : PersonStore::kOwnUnit);
    form.showModalFrom(false);
}

} // namespace masterdata::ui
