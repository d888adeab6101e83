#include "upgrade/StartupOffer.h"

#include "core/AppContext.h"
#include "upgrade/UpgradeRun.h"
#include "users/UserStore.h"

namespace upgrade {

QString offerText(const QString& version) {
    return QStringLiteral("数据文件来自较早的版本，还没有升级到本软件的版本（V") + version +
           QStringLiteral("）。\n升级会先备份数据文件，再补齐新版本需要的表结构和模板项目。\n\n"
                          "现在打开升级窗口吗？选“否”照常启动。");
}

bool mayUpgrade(core::AppContext& app) {
    if (!users::UserStore(app).loginRequired())
        return true;
    return !app.userName.isEmpty() && !app.userRole.isEmpty();
}

QString commandNotice(core::AppContext& app) {
    if (!mayUpgrade(app) || !UpgradeRun::isDue(app))
        return QString();
    return QStringLiteral("数据文件来自较早的版本，还没有升级到本软件的版本（V") +
           UpgradeRun::programVersion(app) + QStringLiteral("）：请在窗口程序中升级（启动时会询问）");
}

bool offerAtStart(core::AppContext& app, const std::function<void()>& openWindow) {
    if (!mayUpgrade(app) || !UpgradeRun::isDue(app))
        return false;
    if (app.dialogs().ask(offerText(UpgradeRun::programVersion(app)), QStringLiteral("数据升级")) &&
        openWindow)
        openWindow();
    return true;
}

} // namespace upgrade
