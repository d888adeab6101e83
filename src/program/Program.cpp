#include "program/Program.h"

#include "core/AppContext.h"
#include "entry/ui/TfmCheckFHDSHD.h"
#include "masterdata/PersonStore.h"
#include "masterdata/TPerson.h"
#include "masterdata/ui/AddressBook.h"
#include "masterdata/ui/Tfrm_GoodsManage.h"
#include "print/PrinterSetup.h"
#include "recognition/ui/TfrmMatchAddr.h"

namespace program {

Program::Program(core::AppContext& app, print::PrintDevice& device)
    : m_app(app), m_device(device), m_main(app), m_entryHost(m_main, device),
      m_addressBook(std::make_unique<masterdata::ui::AddressBook>(app, m_main.grids(), &m_main)) {
    m_addressBook->reloadDefaultIssuer = [this] { m_main.loadDefaultIssuer(); };
    m_addressBook->closeBills = [this] {
        if (m_main.childWindowCount() == 0)
            return;
        m_app.dialogs().message(QStringLiteral("默认出票人已经修改，请重新填开票据！"));
        m_main.closeAllBills();
    };
    // Windows of the higher folders reach the main window only through these hooks.
    m_main.setEntryWindowFactory([this](core::ui::Tfm_Main& main) -> QWidget* {
        auto* entryWindow = new entry::ui::TfmCheckFHDSHD(main.app(), m_entryHost);
        entryWindow->setAddressRecogniser([this] {
            if (!m_matchAddr)
                m_matchAddr = std::make_unique<recognition::ui::TfrmMatchAddr>(m_app, &m_main);
            return m_matchAddr->run();
        });
        entryWindow->setAddressBook(
            [this] {
                return m_addressBook->fetchOnePerson(masterdata::PersonStore::kPartnerUnit,
                                                     QStringLiteral("选取客户名称"));
            },
            [this](const masterdata::TPerson& customer) { m_addressBook->saveParty(&customer); });
        return entryWindow;
    });
    m_main.setCommand(QStringLiteral("actPrinterSetup"),
                      [this] { print::PrinterSetup::run(m_app, m_device, &m_main); });
    m_main.setCommand(QStringLiteral("actAddressBook"), [this] { m_addressBook->openManager(QString()); });
    m_main.setCommand(QStringLiteral("tbSelfComp"),
                      [this] { m_addressBook->openManager(masterdata::PersonStore::kOwnUnit); });
    m_main.setCommand(QStringLiteral("tbCustomerComp"),
                      [this] { m_addressBook->openManager(masterdata::PersonStore::kPartnerUnit); });
    m_main.setCommand(QStringLiteral("actProducts"),
                      [this] { masterdata::ui::openGoodsManage(m_app, m_main.grids(), &m_main); });
}

Program::~Program() = default;

} // namespace program
