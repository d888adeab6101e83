#include "recognition/RegionTable.h"

#include "core/ProgramFolder.h"

#include <QFile>
#include <QRegularExpression>

#include <functional>

namespace recognition {

namespace {

// What may stand between two names of one region: blanks, commas, slashes, dashes.
bool isSeparator(QChar c) {
    static const QString separators = QStringLiteral(" \t\r\n,，、/-—·|");
    return separators.contains(c);
}

bool isHan(QChar c) {
    return c.unicode() >= 0x4e00 && c.unicode() <= 0x9fff;
}

// A short name running on into a street word is part of the street (南京路, 中山北路, 延安东街);
// one running on into 新区 is a zone the table does not know (龙华新区), kept as written.
bool streetFollows(QStringView text, int at) {
    static const QRegularExpression street(
        QStringLiteral("^[东西南北中]?[一二三四五六七八九十]?(路|街|道|大街|大道|巷|弄|胡同|大桥|桥|广场|"
                       "大厦|里|花园|小区|公园|镇|乡|村|新区|"
                       "商场|银行|饭店|酒店|宾馆|医院|大学|中学|小学|学院|公司)"));
    return street.match(text.mid(at)).hasMatch();
}

// The rest of the line names a company or an institution, not a street: a city at the start of
// 佛山市美华电器有限公司 is no region of the address.
bool companyFollows(QStringView text, int at) {
    qsizetype end = at;
    while (end < text.size() && text.at(end) != QLatin1Char('\n') && text.at(end) != QLatin1Char('\r') &&
           text.at(end) != QLatin1Char(',') && text.at(end) != QChar(0xff0c) &&
           text.at(end) != QLatin1Char(' '))
        ++end;
    const QStringView rest = text.mid(at, end - at);
    if (rest.isEmpty() || !isHan(rest.front()))
        return false;
    static const QRegularExpression company(QStringLiteral(
        "(公司|有限|集团|厂|商行|商店|门市|经营部|经销部|事务所|工作室|中心|学校|中学|小学|大学|学院|"
        "医院|银行|分行|支行|协会|委员会)"));
    static const QRegularExpression street(QStringLiteral("[路街号道村镇巷弄栋楼室]"));
    return company.match(rest).hasMatch() && !street.match(rest).hasMatch();
}

} // namespace

QString RegionTable::simplified(QStringView text) {
    static const QString traditional = QStringLiteral(
        "東廣區號縣門陽雲貴蘇遼寧龍廈臺灣漢內齊爾華興鄭義無錫濟慶陝寶島長樂鳳湯蘭瀋邊遠滬鄉鎮莊關開豐場頭溝嶺"
        "橋灘銀"
        "烏魯倫貝瑪達萊濰煙臨羅紹溫麗揚鹽連廬滄張劍節涼貢綿雙鶴雞撫錦蘆營肅黃濱環嶽陰懷藍樓圍壩壽澤鄖隨贛潁渦"
        "蕪銅"
        "馬巖閩譚饒鷹衛輝許駐為鄧棗鄒簡資賓閬瀘畢騰衝倉崗葉學園發塊蓮楊貿岡峽鄲紅陸勝鳴歸縉龜鄰");
    static const QString simple = QStringLiteral(
        "东广区号县门阳云贵苏辽宁龙厦台湾汉内齐尔华兴郑义无锡济庆陕宝岛长乐凤汤兰沈边远沪乡镇庄关开丰场头沟岭"
        "桥滩银"
        "乌鲁伦贝玛达莱潍烟临罗绍温丽扬盐连庐沧张剑节凉贡绵双鹤鸡抚锦芦营肃黄滨环岳阴怀蓝楼围坝寿泽郧随赣颍涡"
        "芜铜"
        "马岩闽谭饶鹰卫辉许驻为邓枣邹简资宾阆泸毕腾冲仓岗叶学园发块莲杨贸冈峡郸红陆胜鸣归缙龟邻");
    static const QHash<QChar, QChar> map = [] {
        QHash<QChar, QChar> m;
        for (qsizetype i = 0; i < traditional.size(); ++i)
            m.insert(traditional.at(i), simple.at(i));
        return m;
    }();
    QString out = text.toString();
    for (QChar& c : out)
        c = map.value(c, c);
    return out;
}

const RegionTable& RegionTable::shipped() {
    static const RegionTable table = [] {
        QFile file(core::ProgramFolder::shippedFolder() + QStringLiteral("regions.tsv"));
        if (!file.open(QIODevice::ReadOnly))
            return RegionTable();
        return fromText(QString::fromUtf8(file.readAll()));
    }();
    return table;
}

RegionTable RegionTable::fromText(const QString& text, int* skipped) {
    RegionTable table;
    QHash<QString, int> byCode;
    byCode.reserve(4096);
    table.m_names.reserve(12288);
    QList<QString> parents;
    QList<QStringList> others;
    int bad = 0;
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QList<QStringView> cells = line.split(QLatin1Char('\t'));
        bool levelOk = false;
        const int level = cells.value(2).toInt(&levelOk);
        if (cells.size() < 4 || cells.at(0).isEmpty() || cells.at(3).isEmpty() || !levelOk ||
            level < Province || level > County || byCode.contains(cells.at(0).toString())) {
            ++bad;
            continue;
        }
        Region region;
        region.code = cells.at(0).toString();
        region.name = cells.at(3).toString();
        region.level = level;
        byCode.insert(region.code, int(table.m_regions.size()));
        table.m_regions << region;
        parents << cells.at(1).toString();
        others << (cells.size() > 4 ? cells.at(4).toString().split(QLatin1Char('!')) : QStringList());
    }
    for (int i = 0; i < table.m_regions.size(); ++i) {
        Region& region = table.m_regions[i];
        if (region.level > Province) {
            region.parent = byCode.value(parents.at(i), -1);
            // A division whose parent is missing or not above it cannot be placed.
            if (region.parent < 0 || table.m_regions.at(region.parent).level >= region.level) {
                region.parent = -1;
                ++bad;
                continue;
            }
        }
        table.index(region.name, i, Full);
        const QStringList& names = others.at(i);
        for (const QString& name : names.value(0).split(QLatin1Char('|'), Qt::SkipEmptyParts))
            table.index(name, i, Short);
        for (const QString& name : names.value(1).split(QLatin1Char('|'), Qt::SkipEmptyParts))
            table.index(name, i, Former);
    }
    if (skipped)
        *skipped = bad;
    return table;
}

void RegionTable::index(const QString& name, int region, Form form) {
    if (name.size() < 2)
        return;
    if (name.size() > 31)
        return;
    m_names[name].append({region, form});
    m_lengths[name.front()] |= 1u << name.size();
}

bool RegionTable::contains(int ancestor, int region) const {
    for (int r = region; r >= 0; r = m_regions.at(r).parent)
        if (r == ancestor)
            return true;
    return false;
}

int RegionTable::ancestorAt(int region, int level) const {
    for (int r = region; r >= 0; r = m_regions.at(r).parent)
        if (m_regions.at(r).level == level)
            return r;
    return -1;
}

bool RegionTable::isMunicipality(int province) const {
    if (province < 0)
        return false;
    const Region& p = m_regions.at(province);
    return p.level == Province && p.name.endsWith(QStringLiteral("市"));
}

QList<RegionTable::Mention> RegionTable::mentions(QStringView text) const {
    QList<Mention> found;
    const int n = int(text.size());
    for (int i = 0; i < n;) {
        const quint32 lengths = m_lengths.value(text.at(i));
        int taken = 0;
        for (int length = std::min(31, n - i); lengths != 0 && length >= 2 && taken == 0; --length) {
            if ((lengths & (1u << length)) == 0)
                continue;
            const auto it = m_names.constFind(text.mid(i, length).toString());
            if (it == m_names.cend())
                continue;
            Mention mention;
            mention.start = i;
            mention.length = length;
            const bool street = streetFollows(text, i + length);
            for (const auto& candidate : *it)
                if (candidate.second != Short || !street)
                    mention.candidates << candidate;
            if (!mention.candidates.isEmpty()) {
                // A short name with a division word behind it is that division renamed (库车市).
                static const QString divisionWords = QStringLiteral("市县区旗");
                if (i + length < n && divisionWords.contains(text.at(i + length))) {
                    bool allShort = true;
                    for (const auto& c : mention.candidates)
                        allShort = allShort && c.second == Short;
                    if (allShort)
                        ++mention.length;
                }
                found << mention;
                taken = mention.length;
            }
        }
        i += taken > 0 ? taken : 1;
    }
    return found;
}

RegionTable::Found RegionTable::find(QStringView text) const {
    const QList<Mention> all = mentions(text);
    if (all.isEmpty())
        return {};

    // Names standing next to each other, with at most a few separators between them, are one
    // region written in parts.
    QList<QPair<int, int>> chains; // first mention, count
    for (int i = 0; i < all.size();) {
        int j = i + 1;
        while (j < all.size() && j - i < 5) {
            const int gap = all.at(j).start - all.at(j - 1).end();
            bool joined = gap <= 3;
            for (int k = all.at(j - 1).end(); joined && k < all.at(j).start; ++k)
                joined = isSeparator(text.at(k));
            if (!joined)
                break;
            ++j;
        }
        chains.append({i, j - i});
        i = j;
    }

    // How many names elsewhere in the text confirm a division (a 朝阳区 written after 北京).
    QHash<int, QList<int>> mentionsOf; // division -> the mentions that may stand for it
    for (int m = 0; m < all.size(); ++m)
        for (const auto& c : all.at(m).candidates)
            mentionsOf[c.first].append(m);
    auto support = [&](int region, int first, int count) {
        QList<int> confirming;
        for (int r = m_regions.at(region).parent; r >= 0; r = m_regions.at(r).parent)
            for (int m : mentionsOf.value(r))
                if ((m < first || m >= first + count) && !confirming.contains(m))
                    confirming << m;
        return int(confirming.size());
    };

    struct Choice {
        int score = -1;
        int deepest = -1;
        int named = 0;
        int lastMention = -1;
    };
    auto resolve = [&](int first, int count) {
        Choice best;
        QList<int> chosen(count, -1);
        QList<Form> forms(count, Full);
        std::function<void(int)> walk = [&](int m) {
            if (m == count) {
                int score = 0, named = 0, deepest = -1, last = -1;
                for (int k = 0; k < count; ++k) {
                    const int r = chosen.at(k);
                    if (r < 0)
                        continue;
                    // A county's short form counts only beside its city (奉节 after 重庆).
                    if (forms.at(k) == Short && m_regions.at(r).level == County &&
                        !chosen.contains(m_regions.at(r).parent))
                        return;
                    ++named;
                    score += 10 + (forms.at(k) == Short ? 0 : 2);
                    if (deepest < 0 || m_regions.at(r).level > m_regions.at(deepest).level)
                        deepest = r;
                    last = first + k;
                }
                if (deepest < 0)
                    return;
                score += support(deepest, first, count);
                if (score > best.score || (score == best.score && deepest < best.deepest))
                    best = {score, deepest, named, last};
                return;
            }
            walk(m + 1);
            for (const auto& candidate : all.at(first + m).candidates) {
                const int r = candidate.first;
                bool fits = true;
                for (int k = 0; k < m && fits; ++k) {
                    const int other = chosen.at(k);
                    if (other >= 0)
                        fits = m_regions.at(other).level != m_regions.at(r).level &&
                               (contains(other, r) || contains(r, other));
                }
                if (!fits)
                    continue;
                chosen[m] = r;
                forms[m] = candidate.second;
                walk(m + 1);
                chosen[m] = -1;
            }
        };
        walk(0);
        return best;
    };

    Choice best;
    int bestFirst = -1, bestCount = 0;
    for (const auto& [first, count] : chains) {
        Choice choice = resolve(first, count);
        if (choice.deepest < 0)
            continue;
        // A lone name must be written in full, be no township, and not start a company's name.
        if (choice.named == 1) {
            if (isTownship(choice.deepest))
                continue;
            const Mention& alone = all.at(choice.lastMention);
            bool full = false;
            for (const auto& c : alone.candidates)
                full = full || (c.first == choice.deepest && c.second != Short);
            if (!full || companyFollows(text, alone.end()))
                continue;
        }
        const int rank = choice.named * 100 + choice.score;
        const int bestRank = best.named * 100 + best.score;
        if (best.deepest < 0 || rank > bestRank) {
            best = choice;
            bestFirst = first;
            bestCount = count;
        }
    }
    if (best.deepest < 0)
        return {};

    Found found;
    int deepest = best.deepest;
    found.start = all.at(bestFirst).start;
    found.streetStart = all.at(best.lastMention).end();
    if (m_regions.at(deepest).level == County && !isTownship(deepest)) {
        // A county name without its city is settled by another region word of the text; without
        // one, every division of that name in the province named, if any, is as likely.
        const int city = ancestorAt(deepest, City), province = ancestorAt(deepest, Province);
        int at = -1;
        bool cityNamed = false, provinceNamed = false;
        for (int m = bestFirst; m < bestFirst + bestCount; ++m) {
            for (const auto& c : all.at(m).candidates) {
                at = c.first == deepest ? m : at;
                cityNamed = cityNamed || c.first == city;
                provinceNamed = provinceNamed || c.first == province;
            }
        }
        const int settled = support(deepest, bestFirst, bestCount);
        if (!cityNamed && at >= 0) {
            for (const auto& c : all.at(at).candidates)
                if (c.second != Short && m_regions.at(c.first).level == County && !isTownship(c.first) &&
                    !found.candidates.contains(c.first) &&
                    (!provinceNamed || ancestorAt(c.first, Province) == province) &&
                    support(c.first, bestFirst, bestCount) == settled)
                    found.candidates << c.first;
        }
        if (found.candidates.size() > 1) {
            found.county = deepest;
            // 鼓楼区 beside 江苏 is in Nanjing or in Xuzhou, in Jiangsu either way.
            found.province = province;
            for (int c : found.candidates)
                if (ancestorAt(c, Province) != province)
                    found.province = -1;
            return found;
        }
        found.candidates.clear();
    }
    // A form gives province and city on lines of their own and the county on the address line.
    if (m_regions.at(deepest).level < County) {
        for (int m = 0; m < all.size(); ++m) {
            if (m >= bestFirst && m < bestFirst + bestCount)
                continue;
            for (const auto& c : all.at(m).candidates) {
                if (c.second != Short && c.first != deepest && contains(deepest, c.first) &&
                    m_regions.at(c.first).level > m_regions.at(deepest).level) {
                    deepest = c.first;
                    found.streetStart = all.at(m).end();
                    break;
                }
            }
        }
    }
    found.province = ancestorAt(deepest, Province);
    found.city = ancestorAt(deepest, City);
    found.county = ancestorAt(deepest, County);
    return found;
}

} // namespace recognition
