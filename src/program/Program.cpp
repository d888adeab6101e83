#include "program/Program.h"

#include "core/AppContext.h"
#include "core/ui/DataGrid.h"
#include "entry/ui/TfmCheckFHDSHD.h"
#include "history/ui/TfrmGridConfig.h"
#include "masterdata/ui/Tfm_DMConfig.h"
#include "masterdata/ui/TfrmCom.h"
#include "masterdata/ui/TfrmSsSet.h"
#include "masterdata/ui/Tfrm_GoodsManage.h"
#include "print/PrinterSetup.h"

namespace program {

Program::Program(core::AppContext& app, print::PrintDevice& device)
    : m_app(app), m_device(device), m_main(app), m_entryHost(m_main, device) {
    // Windows of the higher folders reach the main window only through these hooks.
    m_main.setEntryWindowFactory([this](core::ui::Tfm_Main& main) -> QWidget* {
        return new entry::ui::TfmCheckFHDSHD(main.app(), m_entryHost);
    });
    m_main.grids().setColumnChooser([this](core::ui::DataGrid& grid, const QString& section) {
        history::ui::GridColsConfigration(m_app, m_main.grids(), grid, section, grid.window());
    });
    m_main.setCommand(QStringLiteral("actPrinterSetup"),
                      [this] { print::PrinterSetup::run(m_app, m_device, &m_main); });
    m_main.setCommand(QStringLiteral("actProducts"),
                      [this] { masterdata::ui::openGoodsManage(m_app, m_main.grids(), &m_main); });
    m_main.setCommand(QStringLiteral("actDictionaries"),
                      [this] { masterdata::ui::openDictionaries(m_app, &m_main); });
    m_main.setCommand(QStringLiteral("actRegionCodes"),
                      [this] { masterdata::ui::openRegionCodes(m_app, &m_main); });
    m_main.setCommand(QStringLiteral("actCurrencies"),
                      [this] { masterdata::ui::openCurrencies(m_app, &m_main); });
}

} // namespace program
