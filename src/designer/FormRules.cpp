#include "designer/FormRules.h"

#include <QRegularExpression>
#include <algorithm>

namespace designer::FormRules {

QString boxKind(const QString& ctlType) {
    const QString kind = ctlType.trimmed().toUpper();
    return kind.isEmpty() ? QStringLiteral("TEXT") : kind;
}

bool hasBox(const QString& kind) {
    static const QStringList kinds = {QStringLiteral("TEXT"), QStringLiteral("SHAPE"), QStringLiteral("LINE"),
                                      QStringLiteral("CHECKBOX"), QStringLiteral("LABEL")};
    return kinds.contains(kind);
}

QSize initialSize(const QString& kind) {
    if (kind == QLatin1String("SHAPE") || kind == QLatin1String("CHECKBOX"))
        return {60, 20};
    if (kind == QLatin1String("LABEL"))
        return {50, 16};
    if (kind == QLatin1String("LINE"))
        return {50, 1};
    return {50, 18};
}

Range positionRange(int extent, int stored) {
    return {std::min(0, stored), std::max(std::max(extent, 0), stored)};
}

Range sizeRange(int extent, int stored) {
    return {std::min(1, stored), std::max({1000, extent, stored})};
}

int keyMove(int position, int delta, int extent) {
    const int low = 10;
    const int high = std::max(low, extent - 10);
    const int moved = position + delta;
    if (delta < 0)
        return std::min(position, std::max(moved, low));
    if (delta > 0)
        return std::max(position, std::min(moved, high));
    return position;
}

int keyResize(int size, int delta) {
    return std::max(1, size + delta);
}

QString keyMoveMessage(int dx, int dy, int distance, bool fast) {
    QString direction;
    if (dx != 0)
        direction = dx < 0 ? QStringLiteral("左移了") : QStringLiteral("右移了");
    else
        direction = dy < 0 ? QStringLiteral("上移了") : QStringLiteral("下移了");
    const QString tail = fast ? QStringLiteral("移动后不要忘记修正打印距左距顶参数，否则不会影响打印效果哦。")
                              : QStringLiteral("(Ctrl+Shift+方向键：可更快的移动),移动后不要忘记修正打印距左"
                                               "距顶参数，否则不会影响打印效果哦。");
    return direction + QString::number(distance) + QStringLiteral("像素") + tail;
}

QString cleanCheckBoxes(const QString& typed) {
    QString text = typed.trimmed();
    static const QRegularExpression unwanted(QStringLiteral("[()（）'%*?\\s]"));
    text.remove(unwanted);
    text.replace(QStringLiteral("，"), QStringLiteral(","));
    return text;
}

QString tickCaption(const QString& checkBoxes, const QString& name) {
    static const QRegularExpression tick(QStringLiteral("^DEFCHECK(\\d+)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = tick.match(name);
    if (!m.hasMatch() || checkBoxes.isEmpty())
        return {};
    QStringList captions = checkBoxes.split(QLatin1Char(','));
    captions.last() = captions.last().trimmed();
    bool ok = false;
    const int index = m.captured(1).toInt(&ok);
    return ok && index < captions.size() ? captions.at(index) : QString();
}

QString newRowType(const QString& name) {
    const QString upper = name.toUpper();
    if (upper == QLatin1String("SHPHKR") || upper == QLatin1String("SHPSKR"))
        return QStringLiteral("SHAPE");
    if (upper.contains(QLatin1String("DEFCHECK")))
        return QStringLiteral("CHECKBOX");
    if (upper.contains(QLatin1String("LINE")))
        return QStringLiteral("LINE");
    return QStringLiteral("TEXT");
}

} // namespace designer::FormRules
