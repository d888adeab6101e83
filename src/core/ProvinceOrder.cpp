#include "core/ProvinceOrder.h"

#include <algorithm>

namespace core {

namespace {

// Short names of the provincial divisions, ordered by their codes (11 北京 … 82 澳门).
const QStringList& shortNames() {
    static const QStringList names = {
        QStringLiteral("北京"),   QStringLiteral("天津"), QStringLiteral("河北"), QStringLiteral("山西"),
        QStringLiteral("内蒙古"), QStringLiteral("辽宁"), QStringLiteral("吉林"), QStringLiteral("黑龙江"),
        QStringLiteral("上海"),   QStringLiteral("江苏"), QStringLiteral("浙江"), QStringLiteral("安徽"),
        QStringLiteral("福建"),   QStringLiteral("江西"), QStringLiteral("山东"), QStringLiteral("河南"),
        QStringLiteral("湖北"),   QStringLiteral("湖南"), QStringLiteral("广东"), QStringLiteral("广西"),
        QStringLiteral("海南"),   QStringLiteral("重庆"), QStringLiteral("四川"), QStringLiteral("贵州"),
        QStringLiteral("云南"),   QStringLiteral("西藏"), QStringLiteral("陕西"), QStringLiteral("甘肃"),
        QStringLiteral("青海"),   QStringLiteral("宁夏"), QStringLiteral("新疆"), QStringLiteral("台湾"),
        QStringLiteral("香港"),   QStringLiteral("澳门")};
    return names;
}

int rank(const QString& name) {
    const QString trimmed = name.trimmed();
    const QStringList& names = shortNames();
    for (int i = 0; i < names.size(); ++i)
        if (trimmed.startsWith(names.at(i)))
            return i;
    return int(names.size());
}

} // namespace

QStringList provincesInCodeOrder(const QStringList& names) {
    QStringList out = names;
    std::stable_sort(out.begin(), out.end(),
                     [](const QString& a, const QString& b) { return rank(a) < rank(b); });
    return out;
}

} // namespace core
