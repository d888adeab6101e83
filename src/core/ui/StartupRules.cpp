#include "core/ui/StartupRules.h"

namespace core::ui {

QString StartupRules::applicationTitle() {
    return QStringLiteral("青木鸟票据打印");
}

QString StartupRules::screenStatusText(int screenHeight) {
    return screenHeight < 750 ? QStringLiteral("显示器分辨率太低") : QStringLiteral("系统已就绪");
}

bool StartupRules::isUnpackedArchivePath(const QString& runPath) {
    return runPath.contains(QLatin1Char('$'));
}

QString StartupRules::unpackWarning(const QString& version) {
    return QStringLiteral("请不要从压缩包中直接运行软件，这样会使你的软件设置失效，建议：") +
           QLatin1Char('\n') +
           QStringLiteral("  1、鼠标右击压缩包解压到非系统盘（例如： D:\\青木鸟软件单证宝V") + version +
           QStringLiteral("\\，再运行）;") + QLatin1Char('\n') +
           QStringLiteral("  2、使用软件前，请查看一下软件目录的：使用说明.txt; ") + QLatin1Char('\n') +
           QStringLiteral("  3、不明之处，请及时咨询青木鸟或访问正版软件官方网站寻求帮助！") +
           QStringLiteral("\n\n") +
           QStringLiteral("解压后的文件夹请长期保留：模板、校准数据和历史单据都保存在软件目录中，"
                          "换电脑时整个文件夹复制过去即可继续使用。");
}

QString StartupRules::captionText(const QString& version) {
    return QStringLiteral("青木鸟票据打印V") + version +
           QStringLiteral("  —— 欢迎使用！更多票据模板和使用帮助，请从“帮 助”菜单访问我们的官方网站");
}

QString StartupRules::exitQuestion(const QString& productWord) {
    return QStringLiteral("真的要退出【") + productWord + QStringLiteral("票据打印】系统吗？");
}

QString StartupRules::pendingFeatureHint() {
    return QStringLiteral("此功能尚未提供");
}

QString StartupRules::firstUseNotes() {
    return QStringLiteral(
        "第一次使用，请按以下三步调整，之后每次打印都会落在票据的格子里：\n"
        "\n"
        "第一步：固定打印机的进纸挡板。\n"
        "    把票据放进打印机，调整左侧挡板使票据左边紧贴挡板，以后每次都从同一位置进纸，"
        "不要再移动挡板。连续纸请把孔对准拖纸器，并记下第一张的起始位置。\n"
        "\n"
        "第二步：调整整体打印偏移。\n"
        "    用白纸试打一张，与票据重叠对着光看：内容整体偏右或偏下时，到【打印设置】-"
        "【打印整体偏移调整】中输入偏移量（单位0.1毫米，向左、向上为负数），再试打直至对齐。\n"
        "\n"
        "第三步：锁定票据打印机。\n"
        "    在【打印设置】-【锁定/匹配票据打印机】中选中用来打票据的打印机，"
        "以后软件会自动使用它，不会误打到其它打印机上。\n"
        "\n"
        "小提示：\n"
        "  · 个别项目位置不准时，用【设计模式】单独调整该项目，不必改整体偏移。\n"
        "  · 打印前弹出打印机设置可在【系统管理】-【系统选项】中开关。\n"
        "  · 常用的客户、商品先录入资料库，填单时直接选取更快捷。\n"
        "  · 双击本说明可将其关闭。");
}

} // namespace core::ui
