#include "cli/CommandLine.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

namespace cli {

namespace {

struct Spec {
    QString command;
    QStringList subcommands; // empty: none
    int files = 0;           // positional files after the sub-command
    QStringList valued;      // options that take a value
    QStringList repeatable;  // of those, the ones that may be given more than once
    QStringList flags;
    QStringList required;
};

// Options every command takes.
const QStringList kGlobalValued = {QStringLiteral("home"), QStringLiteral("user")};
const QStringList kGlobalFlags = {QStringLiteral("json"), QStringLiteral("yes"), QStringLiteral("help"),
                                  QStringLiteral("version")};

const QList<Spec>& specs() {
    static const QList<Spec> all = {
        {QStringLiteral("print"),
         {},
         0,
         {QStringLiteral("note"), QStringLiteral("printer"), QStringLiteral("pdf"), QStringLiteral("copies"),
          QStringLiteral("mode"), QStringLiteral("raw")},
         {},
         {},
         {QStringLiteral("note")}},
        {QStringLiteral("batch"),
         {},
         0,
         {QStringLiteral("orders"), QStringLiteral("details"), QStringLiteral("printer"),
          QStringLiteral("pdf"), QStringLiteral("from"), QStringLiteral("mode"), QStringLiteral("raw")},
         {},
         {QStringLiteral("all")},
         {QStringLiteral("orders")}},
        {QStringLiteral("import"),
         {QStringLiteral("recipients"), QStringLiteral("orders"), QStringLiteral("products")},
         1,
         {QStringLiteral("sheet")},
         {},
         {},
         {}},
        {QStringLiteral("package"),
         {QStringLiteral("export"), QStringLiteral("import")},
         1,
         {QStringLiteral("template")},
         {QStringLiteral("template")},
         {},
         {}},
        {QStringLiteral("test-page"),
         {},
         0,
         {QStringLiteral("template"), QStringLiteral("printer"), QStringLiteral("pdf"),
          QStringLiteral("mode"), QStringLiteral("raw")},
         {},
         {QStringLiteral("calibration")},
         {}},
        {QStringLiteral("calibrate"),
         {},
         0,
         {QStringLiteral("printer"), QStringLiteral("template"), QStringLiteral("readings"),
          QStringLiteral("scan")},
         {},
         {QStringLiteral("clear")},
         {QStringLiteral("printer")}},
        {QStringLiteral("notes"), {}, 0, {QStringLiteral("from"), QStringLiteral("to")}, {}, {}, {}},
        {QStringLiteral("journal"), {}, 0, {QStringLiteral("job"), QStringLiteral("from")}, {}, {}, {}},
        {QStringLiteral("payment"),
         {QStringLiteral("add"), QStringLiteral("list")},
         0,
         {QStringLiteral("customer"), QStringLiteral("amount"), QStringLiteral("date"),
          QStringLiteral("method"), QStringLiteral("note"), QStringLiteral("from"), QStringLiteral("to")},
         {},
         {},
         {}},
        {QStringLiteral("reprint"),
         {},
         0,
         {QStringLiteral("job"), QStringLiteral("pages"), QStringLiteral("from-page"),
          QStringLiteral("printer"), QStringLiteral("pdf")},
         {},
         {},
         {QStringLiteral("job")}},
        {QStringLiteral("export-note"),
         {},
         0,
         {QStringLiteral("note"), QStringLiteral("pdf"), QStringLiteral("png"), QStringLiteral("dpi")},
         {},
         {QStringLiteral("a4")},
         {QStringLiteral("note")}},
        {QStringLiteral("backup"), {}, 0, {QStringLiteral("to")}, {}, {}, {}},
        {QStringLiteral("restore"), {}, 1, {}, {}, {}, {}},
        {QStringLiteral("statement"),
         {},
         0,
         {QStringLiteral("customer"), QStringLiteral("month"), QStringLiteral("from"), QStringLiteral("to"),
          QStringLiteral("pdf"), QStringLiteral("xlsx")},
         {},
         {QStringLiteral("all"), QStringLiteral("goods")},
         {}},
        {QStringLiteral("db"),
         {QStringLiteral("copy")},
         0,
         {QStringLiteral("from"), QStringLiteral("to")},
         {},
         {},
         {}},
    };
    return all;
}

const Spec* specOf(const QString& command) {
    for (const Spec& spec : specs())
        if (spec.command == command)
            return &spec;
    return nullptr;
}

// Whether the argument after `option` is its value, not a word: a global option given as
// `--name value`, or one of Qt's own options of the windows (a desktop session restores the
// program with `-session id`); Qt takes these with one dash or two.
bool valueFollows(const QString& option) {
    static const QStringList qtValued = {
        QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
        QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
        QStringLiteral("qwindowtitle"),    QStringLiteral("session"),
        QStringLiteral("display"),         QStringLiteral("geometry"),
        QStringLiteral("style"),           QStringLiteral("stylesheet")};
    if (option.startsWith(QLatin1String("--")) && kGlobalValued.contains(option.mid(2)))
        return true;
    return qtValued.contains(option.mid(option.startsWith(QLatin1String("--")) ? 2 : 1));
}

} // namespace

QStringList CommandLine::commands() {
    QStringList names;
    for (const Spec& spec : specs())
        names << spec.command;
    return names;
}

bool CommandLine::requested(const QStringList& arguments) {
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        if (a == QLatin1String("--help") || a == QLatin1String("--version") || a == QLatin1String("-h"))
            return true;
        if (a.startsWith(QLatin1Char('-'))) {
            if (valueFollows(a))
                ++i;
            continue;
        }
        // Only a file goes to the windows (the file manager opening a package); any other word is
        // a command, and one that is none must end with its message rather than wait on a window.
        return specOf(a) != nullptr || !QFileInfo(a).isFile();
    }
    return false;
}

bool CommandLine::requested(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return requested(arguments);
}

bool CommandLine::parse(const QStringList& arguments, Invocation& out, QString* error) {
    out = Invocation();
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    const Spec* spec = nullptr;
    for (int i = 1; i < arguments.size(); ++i) {
        QString a = arguments.at(i);
        if (a == QLatin1String("-h"))
            a = QStringLiteral("--help");
        if (!a.startsWith(QLatin1String("--"))) {
            if (!spec) {
                spec = specOf(a);
                if (!spec)
                    return fail(QStringLiteral("未知的命令（也不是已有的文件）：%1\n可用的命令：%2")
                                    .arg(a, commands().join(QStringLiteral("、"))));
                out.command = a;
            } else if (!spec->subcommands.isEmpty() && out.subcommand.isEmpty()) {
                if (!spec->subcommands.contains(a))
                    return fail(QStringLiteral("%1 的子命令只能是 %2，不是：%3")
                                    .arg(spec->command, spec->subcommands.join(QLatin1Char('|')), a));
                out.subcommand = a;
            } else if (out.positional.size() < spec->files) {
                out.positional << a;
            } else {
                return fail(QStringLiteral("多余的参数：") + a);
            }
            continue;
        }
        // --name=value and --name value both work.
        QString name = a.mid(2);
        QString inlineValue;
        const bool hasInline = name.contains(QLatin1Char('='));
        if (hasInline) {
            inlineValue = name.section(QLatin1Char('='), 1);
            name = name.section(QLatin1Char('='), 0, 0);
        }
        const bool valued = kGlobalValued.contains(name) || (spec && spec->valued.contains(name));
        const bool flag = kGlobalFlags.contains(name) || (spec && spec->flags.contains(name));
        if (!valued && !flag)
            return fail(QStringLiteral("未知的选项：--") + name +
                        (spec ? QStringLiteral("（命令 %1）").arg(spec->command) : QString()));
        if (flag) {
            if (hasInline)
                return fail(QStringLiteral("选项 --%1 不带值").arg(name));
            out.flags.insert(name);
            continue;
        }
        QString value = inlineValue;
        if (!hasInline) {
            if (i + 1 >= arguments.size())
                return fail(QStringLiteral("选项 --%1 缺少值").arg(name));
            value = arguments.at(++i);
        }
        if (out.values.contains(name) && !(spec && spec->repeatable.contains(name)))
            return fail(QStringLiteral("选项 --%1 只能给一次").arg(name));
        out.values[name] << value;
    }
    if (out.help() || out.version())
        return true;
    if (!spec)
        return fail(QStringLiteral("缺少命令，可用的命令：") + commands().join(QStringLiteral("、")));
    if (!spec->subcommands.isEmpty() && out.subcommand.isEmpty())
        return fail(
            QStringLiteral("%1 缺少子命令：%2").arg(spec->command, spec->subcommands.join(QLatin1Char('|'))));
    if (out.positional.size() < spec->files)
        return fail(QStringLiteral("%1 缺少文件名").arg(spec->command));
    for (const QString& option : spec->required)
        if (!out.values.contains(option))
            return fail(QStringLiteral("%1 缺少选项 --%2").arg(spec->command, option));
    // A test page may go to a PDF as a printer would get it; every other job goes to one or the other.
    if (out.values.contains(QStringLiteral("printer")) && out.values.contains(QStringLiteral("pdf")) &&
        out.command != QLatin1String("test-page"))
        return fail(QStringLiteral("--printer 与 --pdf 只能选一个"));
    if (out.values.contains(QStringLiteral("mode")) &&
        out.value(QStringLiteral("mode")) != QLatin1String("text") &&
        out.value(QStringLiteral("mode")) != QLatin1String("graphics"))
        return fail(QStringLiteral("--mode 应为 text 或 graphics，不是：") +
                    out.value(QStringLiteral("mode")));
    // A PDF is a page driver's picture; a raw file is the text mode's stream.
    if (out.values.contains(QStringLiteral("raw")) && out.values.contains(QStringLiteral("pdf")))
        return fail(QStringLiteral("--raw 与 --pdf 只能选一个"));
    if (out.value(QStringLiteral("mode")) == QLatin1String("text") &&
        out.values.contains(QStringLiteral("pdf")))
        return fail(QStringLiteral("--pdf 只能以图形方式打印，不能与 --mode text 同时给出"));
    if (out.value(QStringLiteral("mode")) == QLatin1String("graphics") &&
        out.values.contains(QStringLiteral("raw")))
        return fail(QStringLiteral("--raw 写的是文字方式的数据，不能与 --mode graphics 同时给出"));
    if (out.flags.contains(QStringLiteral("calibration")) &&
        (out.value(QStringLiteral("mode")) == QLatin1String("text") ||
         out.values.contains(QStringLiteral("raw"))))
        return fail(QStringLiteral("校准页只能以图形方式打印"));
    if (out.command == QLatin1String("calibrate")) {
        const int ways = int(out.values.contains(QStringLiteral("readings"))) +
                         int(out.values.contains(QStringLiteral("scan"))) +
                         int(out.flags.contains(QStringLiteral("clear")));
        if (ways != 1)
            return fail(QStringLiteral("calibrate 需要 --readings、--scan、--clear 之一"));
        if (out.values.contains(QStringLiteral("scan")) &&
            !QFileInfo(out.value(QStringLiteral("scan"))).isFile())
            return fail(QStringLiteral("没有这个文件：") + out.value(QStringLiteral("scan")));
    }
    if (out.command == QLatin1String("reprint")) {
        // A reprint names its pages and where they go; a default would feed a printer nobody chose.
        if (out.values.contains(QStringLiteral("pages")) == out.values.contains(QStringLiteral("from-page")))
            return fail(QStringLiteral("reprint 需要 --pages 或 --from-page 之一"));
        if (!out.values.contains(QStringLiteral("printer")) && !out.values.contains(QStringLiteral("pdf")))
            return fail(QStringLiteral("reprint 需要 --printer 或 --pdf 之一"));
        if (positiveNumber(out.value(QStringLiteral("job"))) <= 0)
            return fail(QStringLiteral("--job 应为作业号（从 1 起的整数），不是：") +
                        out.value(QStringLiteral("job")));
        PageRange range;
        if (!pageRange(out, range, error))
            return false;
    }
    if (out.command == QLatin1String("export-note")) {
        if (out.values.contains(QStringLiteral("pdf")) == out.values.contains(QStringLiteral("png")))
            return fail(QStringLiteral("export-note 需要 --pdf 或 --png 之一"));
        if (out.values.contains(QStringLiteral("dpi"))) {
            if (!out.values.contains(QStringLiteral("png")))
                return fail(QStringLiteral("--dpi 只用于 --png"));
            const int dpi = positiveNumber(out.value(QStringLiteral("dpi")));
            if (dpi < 36 || dpi > 600)
                return fail(QStringLiteral("--dpi 应为 36 到 600 的整数"));
        }
    }
    if (out.command == QLatin1String("journal") && out.values.contains(QStringLiteral("job")) &&
        positiveNumber(out.value(QStringLiteral("job"))) <= 0)
        return fail(QStringLiteral("--job 应为作业号（从 1 起的整数），不是：") +
                    out.value(QStringLiteral("job")));
    if (out.command == QLatin1String("statement")) {
        if (out.values.contains(QStringLiteral("customer")) == out.flags.contains(QStringLiteral("all")))
            return fail(QStringLiteral("statement 需要 --customer 或 --all 之一"));
        if (out.values.contains(QStringLiteral("pdf")) && out.values.contains(QStringLiteral("xlsx")))
            return fail(QStringLiteral("--pdf 与 --xlsx 只能选一个"));
        QDate from;
        QDate to;
        if (!statementPeriod(out, from, to, error))
            return false;
    }
    if (out.command == QLatin1String("db") &&
        out.values.contains(QStringLiteral("to")) == out.values.contains(QStringLiteral("from")))
        return fail(QStringLiteral("db copy 需要 --to 或 --from 之一"));
    return true;
}

int CommandLine::positiveNumber(const QString& text) {
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    return ok && number > 0 ? number : 0;
}

bool CommandLine::statementPeriod(const Invocation& call, QDate& from, QDate& to, QString* error) {
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    const QDate today = QDate::currentDate();
    QDate month(today.year(), today.month(), 1);
    if (call.has(QStringLiteral("month"))) {
        const QString text = call.value(QStringLiteral("month"));
        month = QDate::fromString(text + QStringLiteral("-01"), QStringLiteral("yyyy-MM-dd"));
        if (!month.isValid())
            return fail(QStringLiteral("--month 应写成 YYYY-MM（如 2026-11），不是：") + text);
    }
    from = month;
    to = month.addMonths(1).addDays(-1);
    for (const auto& [option, date] : {std::pair<QString, QDate*>{QStringLiteral("from"), &from},
                                       std::pair<QString, QDate*>{QStringLiteral("to"), &to}}) {
        if (!call.has(option))
            continue;
        const QString text = call.value(option);
        *date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
        if (!date->isValid())
            return fail(QStringLiteral("--%1 应写成 YYYY-MM-DD，不是：%2").arg(option, text));
    }
    if (from > to)
        return fail(QStringLiteral("开始日期 %1 晚于结束日期 %2")
                        .arg(from.toString(Qt::ISODate), to.toString(Qt::ISODate)));
    return true;
}

QStringList CommandLine::outputFiles(const Invocation& call) {
    QStringList files = call.all(QStringLiteral("pdf")) + call.all(QStringLiteral("raw")) +
                        call.all(QStringLiteral("png"));
    // With --all the workbooks go into the folder --xlsx names; the command checks it.
    if (call.command == QLatin1String("statement") && !call.flags.contains(QStringLiteral("all")))
        files << call.all(QStringLiteral("xlsx"));
    if (call.command == QLatin1String("package") && call.subcommand == QLatin1String("export"))
        files << call.positional.value(0);
    return files;
}

bool CommandLine::canWrite(const QString& path, QString* error) {
    const auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("不能写入文件 %1：%2").arg(path, why);
        return false;
    };
    if (path.isEmpty())
        return fail(QStringLiteral("没有给出文件名"));
    const QFileInfo info(path);
    if (info.isDir())
        return fail(QStringLiteral("这是一个文件夹"));
    const QDir folder = info.absoluteDir();
    if (!folder.exists())
        return fail(QStringLiteral("文件夹 %1 不存在").arg(folder.path()));
    // Asking the file system itself answers for rights, read-only mounts and full disks alike.
    QFile probe(
        folder.filePath(QStringLiteral(".overprint-probe-") + QUuid::createUuid().toString(QUuid::Id128)));
    if (!probe.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return fail(probe.errorString());
    probe.remove();
    return true;
}

bool CommandLine::pageRange(const Invocation& call, PageRange& range, QString* error) {
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    if (call.has(QStringLiteral("from-page"))) {
        const QString text = call.value(QStringLiteral("from-page"));
        range = {positiveNumber(text), -1};
        if (range.first <= 0)
            return fail(QStringLiteral("--from-page 应为从 1 起的页号，不是：") + text);
        return true;
    }
    // "7-12" or one page "7"; pages count from 1 within their job.
    const QString text = call.value(QStringLiteral("pages"));
    const QStringList ends = text.split(QLatin1Char('-'));
    const auto bad = [&] {
        return fail(QStringLiteral("--pages 应写成 起页-止页（如 7-12）或一个页号，起页不大于止页，不是：") +
                    text);
    };
    if (ends.size() > 2)
        return bad();
    range.first = positiveNumber(ends.first());
    range.last = ends.size() == 2 ? positiveNumber(ends.last()) : range.first;
    if (range.first <= 0 || range.last <= 0 || range.first > range.last)
        return bad();
    return true;
}

QString CommandLine::help(const QString& command) {
    static const QString modeHelp =
        QStringLiteral("  --mode text|graphics  这次按文字方式（针式打印机字库，ESC/P）或图形方式打印，\n"
                       "                    不管打印机参数里的设置\n"
                       "  --raw 文件        按文字方式把要送给打印机的数据写到这个文件，不送打印机\n");
    static const QString common = QStringLiteral(
        "\n通用选项：\n"
        "  --home 目录       程序目录（数据、图片、设置所在），缺省为 ~/.local/share/overprint\n"
        "  --user 用户名     启用登录时的操作员；密码取自环境变量 OVERPRINT_PASSWORD，\n"
        "                    没有时在终端上询问（从不取自命令行）\n"
        "  --json            结果以 JSON 写到标准输出\n"
        "  --yes             对执行中的询问一律回答“是”（否则询问按“否”处理并以 1 结束）\n"
        "  --help            显示本帮助\n"
        "\n结束码：0 完成，1 用法或输入错误（原因写在标准错误），2 数据错误（数据库拒绝），"
        "3 打印机错误。\n被拒绝的文件不改变数据。\n");
    if (command == QLatin1String("print"))
        return QStringLiteral(
                   "用法：overprint print --note 单号 [--printer 打印机 | --pdf 文件] [--copies 张数]\n"
                   "                      [--mode text|graphics] [--raw 文件]\n\n"
                   "按“重复打印”打印一张已保存的出货单。\n"
                   "  --note 单号       已保存出货单的票据编号\n"
                   "  --printer 打印机  打印到这台打印机（缺省为程序选定的票据打印机）\n"
                   "  --pdf 文件        打印到 PDF 文件\n"
                   "  --copies 张数     打印张数，缺省 1\n") +
               modeHelp + common;
    if (command == QLatin1String("batch"))
        return QStringLiteral(
                   "用法：overprint batch --orders 文件 [--details 文件] [--printer 打印机 | --pdf 文件]\n"
                   "                      [--from 序号] [--all]\n\n"
                   "按“订单导入”导入订单，再按“批量打印”把未打印的订单（或全部）每单一页、一个打印任务打出，"
                   "\n"
                   "标记为已打印并记入打印日志。\n"
                   "  --orders 文件     订单表（xlsx、xls、ods、csv）\n"
                   "  --details 文件    订单商品明细表\n"
                   "  --printer 打印机  打印到这台打印机\n"
                   "  --pdf 文件        打印到 PDF 文件\n"
                   "  --from 序号       从列表中的第几单开始（1 为第一单）\n"
                   "  --all             连已打印的订单一起打印\n") +
               modeHelp + common;
    if (command == QLatin1String("import"))
        return QStringLiteral("用法：overprint import recipients|orders|products 文件 [--sheet 工作表]\n\n"
                              "按导入窗口的自动列匹配导入：recipients 收件人到通讯录，orders 订单，"
                              "products 商品。\n记录写入程序目录的 ImportLog.txt。\n"
                              "  --sheet 工作表    要导入的工作表名称，缺省为活动工作表\n") +
               common;
    if (command == QLatin1String("package"))
        return QStringLiteral("用法：overprint package export 文件 [--template 模板全名 …]\n"
                              "      overprint package import 文件\n\n"
                              "导出或导入票据模板包（.qpk，导入也接受 .zrx）。\n"
                              "  --template 模板全名  要导出的模板（可多次给出），缺省为全部模板\n") +
               common;
    if (command == QLatin1String("test-page"))
        return QStringLiteral(
                   "用法：overprint test-page [--template 模板全名] [--calibration] [--printer 打印机] "
                   "[--pdf 文件]\n\n"
                   "以各项目的测试值打印模板的测试页；带 --calibration 时打印校准页（九个编号的十字，\n"
                   "不带任何校准），--json 列出每个十字的编号和应在的位置（距纸张左边、上边的毫米数）。\n"
                   "  --template 模板全名  例如 出货单（标准），缺省为出货单的默认模板\n"
                   "  --calibration        打印校准页\n"
                   "  --printer 打印机     打印到这台打印机\n"
                   "  --pdf 文件           打印到 PDF 文件；与 --printer 同时给出时，PDF "
                   "里是送往那台打印机的内容\n") +
               modeHelp + common;
    if (command == QLatin1String("calibrate"))
        return QStringLiteral(
                   "用法：overprint calibrate --printer 打印机 [--template 模板全名]\n"
                   "                          (--readings \"x1,y1;x2,y2;…\" | --scan 文件 | --clear)\n\n"
                   "按校准页计算并保存打印机的校准，列出拟合的偏移、比例、歪斜、斜切和每个十字的残差；\n"
                   "读数对不上时不保存，以 1 结束。\n"
                   "  --readings 读数  按 test-page --calibration "
                   "列出的顺序，每个十字中心距纸张左边、上边的\n"
                   "                   毫米数，十字之间用分号隔开；量不到的十字留空（;;），至少四个\n"
                   "  --scan 文件      印在表格纸上的校准页的扫描图（PNG、JPEG、TIFF 或一页的 PDF），\n"
                   "                   校准只用于这台打印机打印这个模板\n"
                   "  --clear          这台打印机不再校准（尺量的和这个模板扫描的）\n"
                   "  --template 模板全名  缺省为出货单的默认模板\n") +
               common;
    if (command == QLatin1String("notes"))
        return QStringLiteral("用法：overprint notes [--from 日期] [--to 日期] [--json]\n\n"
                              "列出已保存的出货单及其合计。\n"
                              "  --from 日期   出票日期不早于此日（YYYY-MM-DD）\n"
                              "  --to 日期     出票日期不晚于此日（YYYY-MM-DD）\n") +
               common;
    if (command == QLatin1String("journal"))
        return QStringLiteral("用法：overprint journal [--job 作业号] [--from 日期] [--json]\n\n"
                              "列出打印记录：每个作业的作业号、打印时间、打印机、模板，\n"
                              "以及每页的页号、单号、订单号。新的作业在前。\n"
                              "  --job 作业号  只列这个作业\n"
                              "  --from 日期   打印时间不早于此日（YYYY-MM-DD）\n") +
               common;
    if (command == QLatin1String("payment"))
        return QStringLiteral(
                   "用法：overprint payment add --customer 客户 --amount 金额 [--date 日期] [--method 方式]\n"
                   "                          [--note 票据编号]\n"
                   "      overprint payment list [--customer 客户] [--from 日期 --to 日期] [--json]\n\n"
                   "登记收款或列出收款登记。\n"
                   "  --customer 客户  通讯录中的客户全称（或送货单上的顾客名称）\n"
                   "  --amount 金额    收到的金额，退款写负数，如 -20.50\n"
                   "  --date 日期      收款日期（YYYY-MM-DD），缺省为今天\n"
                   "  --method 方式    收款方式（数据字典“收款方式”），缺省为现金\n"
                   "  --note 票据编号  这笔钱所付的送货单\n"
                   "  --from/--to 日期 只列这段日期内的收款\n") +
               common;
    if (command == QLatin1String("reprint"))
        return QStringLiteral("用法：overprint reprint --job 作业号 (--pages 起页-止页 | --from-page 起页)\n"
                              "                        (--printer 打印机 | --pdf 文件) [--yes]\n\n"
                              "按“打印记录（补打）”补打一个作业的几页：各页的票据按现在保存的内容，在一个打印"
                              "任务里打出，"
                              "\n并记入打印记录。打印之后修改过或已找不到的票据写在标准错误（--json 时在 "
                              "messages 里）；\n"
                              "有修改过的票据时不加 --yes 不补打，以 1 结束。\n"
                              "  --job 作业号          打印记录里的作业号（overprint journal 列出）\n"
                              "  --pages 起页-止页     补打这几页，如 7-12；只补一页时写 7\n"
                              "  --from-page 起页      从这一页补打到作业的最后一页\n"
                              "  --printer 打印机      打印到这台打印机\n"
                              "  --pdf 文件            打印到 PDF 文件\n") +
               common;
    if (command == QLatin1String("export-note"))
        return QStringLiteral(
                   "用法：overprint export-note --note 编号 (--pdf 文件 | --png 文件) [--dpi 150] [--a4]\n\n"
                   "把一张已保存的出货单连同模板底图写成客户副本（PDF 或 PNG 图片），\n"
                   "内容和位置与打印预览相同，可发给客户。\n"
                   "  --note 编号   出货单的票据编号\n"
                   "  --pdf 文件    写成 PDF（文字可复制、可搜索）\n"
                   "  --png 文件    写成 PNG 图片\n"
                   "  --dpi 分辨率  PNG 每英寸的点数，36 到 600，默认 150\n"
                   "  --a4          缩放到 A4 纸上（默认按模板纸张大小）\n") +
               common;
    if (command == QLatin1String("statement"))
        return QStringLiteral(
                   "用法：overprint statement (--customer 客户名称 | --all) [--month YYYY-MM]\n"
                   "                          [--from 日期 --to 日期] [--goods] [--pdf 文件 | --xlsx 文件] "
                   "[--json]\n\n"
                   "客户的对账单：期初余额、期间内的出货单、打印订单和收款、期末应收余额。\n"
                   "  --customer 客户名称  通讯录里的客户\n"
                   "  --all                期间内有往来的每个客户\n"
                   "  --month YYYY-MM      对账月份，缺省为本月\n"
                   "  --from / --to 日期   对账期间的起止日（YYYY-MM-DD），替代月份的首尾\n"
                   "  --goods              出货单下列出商品明细\n"
                   "  --pdf 文件           对账单写成 PDF；带 --all 时每个客户各自分页，合在一个文件里\n"
                   "  --xlsx 文件          对账单导出为 Excel；带 --all 时是文件夹，每个客户一个文件\n"
                   "  --json               以 JSON 写出金额：期初、每笔、合计、期末\n"
                   "不给 --pdf 或 --xlsx 时只写出金额。\n") +
               common;
    if (command == QLatin1String("db"))
        return QStringLiteral(
                   "用法：overprint db copy --to 地址\n"
                   "      overprint db copy --from 地址\n\n"
                   "把整个数据（连同模板图片）在本机数据文件与数据库服务器之间复制，"
                   "复制后逐表核对行数。\n"
                   "  --to 地址     从本机 Data/EPData.ini 复制到服务器（替换服务器上的数据）\n"
                   "  --from 地址   从服务器复制到本机（原数据文件保留为 EPData.ini.复制前-时间）\n"
                   "地址写成 postgresql://用户@服务器:端口/数据库，密码取自 ~/.pgpass。\n"
                   "任一端启用了登录时，须用 --user 以该端的操作员登录。\n"
                   "--to 提交之前，服务器上的目标标为未完成，程序拒绝使用；--from 中断后，"
                   "下次启动时完成或撤销这次复制\n（数据文件与模板图片一起），并说明是哪一种。\n") +
               common;
    if (command == QLatin1String("backup"))
        return QStringLiteral("用法：overprint backup [--to 文件夹]\n\n"
                              "把整个数据（出货单、客户、商品、字典、模板及其图片、打印记录、Config.ini）"
                              "备份成一个文件\noverprint-备份-日期-时间.opbak，检查无误后才以这个名字保存，"
                              "然后按保留份数清理旧备份。\n"
                              "  --to 文件夹   备份到这个文件夹（默认为“数据备份”里设置的文件夹，"
                              "未设置时为程序文件夹下的 Backup）\n") +
               common;
    if (command == QLatin1String("restore"))
        return QStringLiteral("用法：overprint restore 备份文件 [--yes]\n\n"
                              "用备份文件替换全部数据。先完整检查备份文件，再把当前数据备份一份，"
                              "然后一步替换；\n损坏、不完整、不是备份或由较新版本写成的文件被拒绝，"
                              "数据不变。不加 --yes 时只询问，以 1 结束。\n") +
               common;
    return QStringLiteral("用法：overprint [--home 目录] 命令 [选项]\n"
                          "不带命令时打开窗口。\n\n命令：\n"
                          "  print      打印一张已保存的出货单\n"
                          "  batch      导入订单并批量打印\n"
                          "  import     导入收件人、订单或商品\n"
                          "  package    导出或导入模板包\n"
                          "  test-page  打印模板测试页或校准页\n"
                          "  calibrate  按校准页的读数或扫描图校准打印机\n"
                          "  notes      列出已保存的出货单\n"
                          "  journal    列出打印记录\n"
                          "  reprint    补打打印记录里一个作业的几页\n"
                          "  export-note 把一张出货单写成客户副本（PDF 或 PNG）\n"
                          "  backup     把全部数据备份成一个文件\n"
                          "  restore    从备份文件恢复全部数据\n"
                          "  payment    登记收款或列出收款\n"
                          "  statement  打印或导出客户的对账单\n"
                          "  db         在本机数据文件与数据库服务器之间复制数据\n"
                          "\n“overprint 命令 --help”显示该命令的选项；“overprint --version”显示版本。\n") +
           common;
}

} // namespace cli
