#include "masterdata/PinyinInitials.h"

#include <QHash>
#include <QStringEncoder>

namespace masterdata {

namespace {

struct Range {
    quint16 from;
    quint16 to;
    char letter;
};

// Level-1 hanzi are ordered by pinyin in GBK, so each initial covers one run of codes.
// X runs up to 迅 (0xD1B8) and Y starts at 压 (0xD1B9): 选, 学, 寻 and their neighbours are X.
constexpr Range kRanges[] = {
    {0xB0A1, 0xB0C4, 'A'}, {0xB0C5, 0xB2C0, 'B'}, {0xB2C1, 0xB4ED, 'C'}, {0xB4EE, 0xB6E9, 'D'},
    {0xB6EA, 0xB7A1, 'E'}, {0xB7A2, 0xB8C0, 'F'}, {0xB8C1, 0xB9FD, 'G'}, {0xB9FE, 0xBBF6, 'H'},
    {0xBBF7, 0xBFA5, 'J'}, {0xBFA6, 0xC0AB, 'K'}, {0xC0AC, 0xC2E7, 'L'}, {0xC2E8, 0xC4C2, 'M'},
    {0xC4C3, 0xC5B5, 'N'}, {0xC5B6, 0xC5BD, 'O'}, {0xC5BE, 0xC6D9, 'P'}, {0xC6DA, 0xC8BA, 'Q'},
    {0xC8BB, 0xC8F5, 'R'}, {0xC8F6, 0xCBF9, 'S'}, {0xCBFA, 0xCDD9, 'T'}, {0xCDDA, 0xCEF3, 'W'},
    {0xCEF4, 0xD1B8, 'X'}, {0xD1B9, 0xD4D0, 'Y'}, {0xD4D1, 0xD7F9, 'Z'},
};

// Level-2 and extension characters are ordered by radical, not by sound; these are the ones
// that turn up in company, place and article names.
const QHash<QChar, char>& rareCharacters() {
    static const QHash<QChar, char> table = [] {
        const std::pair<const char16_t*, char> groups[] = {
            {u"犇", 'B'},
            {u"琛锉", 'C'},
            {u"莞", 'G'},
            {u"昊", 'H'},
            {u"珏瑾婧珺", 'J'},
            {u"珂琨堃", 'K'},
            {u"璐蔺泸溧漯栎麟锂", 'L'},
            {u"淼闵钼", 'M'},
            {u"侬", 'N'},
            {u"濮", 'P'},
            {u"琪琦茜衢骐麒", 'Q'},
            {u"睿芮", 'R'},
            {u"晟榫", 'S'},
            {u"钛", 'T'},
            {u"炜玮婺", 'W'},
            {u"鑫璇浔", 'X'},
            {u"钰彧翊焱垚赟祎瑜芸滢", 'Y'},
            {u"圳梓酯", 'Z'},
        };
        QHash<QChar, char> t;
        for (const auto& [chars, letter] : groups)
            for (const QChar c : QString::fromUtf16(chars))
                t.insert(c, letter);
        return t;
    }();
    return table;
}

char initialOf(QChar c) {
    const auto rare = rareCharacters().constFind(c);
    if (rare != rareCharacters().constEnd())
        return *rare;
    QStringEncoder gbk("GBK");
    const QByteArray bytes = gbk.encode(QString(c));
    if (gbk.hasError() || bytes.size() != 2)
        return ' ';
    const auto high = static_cast<quint8>(bytes.at(0));
    const auto low = static_cast<quint8>(bytes.at(1));
    // Extension characters share lead bytes with level 1 but have low trail bytes: they are
    // not in pinyin order.
    if (low < 0xA1)
        return ' ';
    const quint16 code = static_cast<quint16>(high * 256 + low);
    for (const Range& r : kRanges)
        if (code >= r.from && code <= r.to)
            return r.letter;
    return ' ';
}

} // namespace

QString PinyinInitials(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            if (c.isLetterOrNumber())
                out += c.toUpper();
            continue;
        }
        if (c.isSurrogate())
            continue;
        out += QLatin1Char(initialOf(c));
    }
    return out;
}

} // namespace masterdata
