#include "recognition/AddressRecogniser.h"

#include "recognition/PatternSearch.h"

#include <QRegularExpression>

namespace recognition {

using P = PatternSearch;

namespace {

const QString kBlank = QStringLiteral(" ");

// The common one-character surnames, as the body of a character class.
const QString kSurnames = QStringLiteral(
    "王李张刘陈杨黄赵周吴徐孙朱马胡郭林何高梁郑罗宋谢唐韩曹许邓萧冯曾程蔡彭潘袁于董余苏叶吕魏蒋田杜丁沈"
    "姜范傅钟卢江汪戴崔任陆廖姚方金邱夏谭韦贾邹石熊孟秦阎薛侯雷白龙段郝孔邵史毛常万顾赖武康贺严尹钱施牛"
    "洪龚栾肖詹翁付郁鲁葛庞樊兰殷陶黎易向覃欧莫柳颜");
const QString kCompoundSurnames = QStringLiteral(
    "欧阳|司马|诸葛|上官|东方|皇甫|慕容|令狐|司徒|公孙|夏侯|尉迟|长孙|宇文|独孤|南宫|西门|端木|呼延|澹台");

// The province names the steps know, written one character per class as the engine expects.
const QString kProvince = QStringLiteral(
    "([广][东]|[福][建]|[北][京]|[天][津]|[河][北]|[上][海]|[江][苏]|[浙][江]|[山][西]|[辽][宁]|[吉][林]|"
    "[黑][龙][江]|[安][徽]|[江][西]|[山][东]|[河][南]|[湖][北]|[湖][南]|[海][南]|[广][西][壮][族][自][治][区]"
    "|"
    "[广][西]|[新][疆][维][吾][尔][族][自][治][区]|[新][疆]|[西][藏][自][治][区]|[西][藏]|[内][蒙][古][自]["
    "治]["
    "区]|[内][蒙][古]|[宁][夏][回][族][自][治][区]|[宁][夏]|[重][庆]|[贵][州]|[云][南]|[陕][西]|[甘][肃]|[青]"
    "["
    "海]|[四][川]|[香][港][特][别][行][政][区]|[香][港]|[澳][门][特][别][行][政][区]|[澳][门]|[台][湾]){1}(["
    "省]"
    "|[市]){0,1}");
const QString kRegionName = QStringLiteral(R"([^,.\\0-9a-zA-Z]{2,20})");
const QString kPlaceName = QStringLiteral(R"([^,.\\0-9a-zA-Z]{2,16})");

QStringList onePiecePatterns() {
    const QStringList provinces = {
        QStringLiteral(R"([^ :,\s]{2,6}([自][治][区]){1})"),
        QStringLiteral(
            R"([^ :,\s]{0,1}([广][东]|[福][建]|[河][北]|[江][苏]|[浙][江]|[山][西]|[辽][宁]|[吉][林]|)"
            R"([黑][龙][江]|[安][徽]|[江][西]|[山][东]|[河][南]|[湖][北]|[湖][南]|[海][南]|[广][西]|)"
            R"([新][疆]|[西][藏]|[内][蒙][古]|[宁][夏]|[贵][州]|[云][南]|[陕][西]|[甘][肃]|[青][海]|)"
            R"([四][川]|[香][港]|[澳][门]|[台][湾]){1}([省]){0,1})"),
    };
    const QStringList cities = {
        QStringLiteral("[^0-9a-zA-Z市]{2,5}([盟]|[地][区]|[行][政][区]|[市]){1}"),
        QStringLiteral("[^0-9a-zA-Z省]{4,8}([自][治][州]){1}"),
    };
    const QStringList counties = {
        QStringLiteral("[^0-9a-zA-Z区市]{2,5}([区]|[市]){1}"),
        QStringLiteral("[^0-9a-zA-Z省]{2,8}([自][治][旗]|[旗]){1}"),
        QStringLiteral("[^0-9a-zA-Z省市]{2,11}([自][治][县]){1}"),
        QStringLiteral("[^0-9a-zA-Z省市]{1,4}([县]){1}"),
    };
    QStringList all = {
        QStringLiteral("([上][海]|[北][京]|[天][津]|[重][庆]){1}[市]{0,1}[^0-9a-zA-Z区]{2,6}([区]){1}"),
        // Needs a literal "]" after the name and so never matches; kept as it always was.
        QStringLiteral("([香][港]|[澳][门]){1}[[特][别][行][政][区]]{1}[^0-9a-zA-Z区]{2,6}([区]){1}"),
    };
    for (const QString& p : provinces)
        for (const QString& c : cities)
            for (const QString& k : counties)
                all << p + c + k;
    return all;
}

bool isMunicipality(const QString& province) {
    static const QStringList names = {QStringLiteral("北京"), QStringLiteral("上海"), QStringLiteral("天津"),
                                      QStringLiteral("重庆")};
    return names.contains(province);
}

} // namespace

void ResultBox::receive(const QStringList& list) {
    if (list.isEmpty())
        return;
    items = list;
    text = list.first();
}

QString AddressRecogniser::pasteRefusal(const QString& clipboard) {
    const int bytes = P::bytes(clipboard);
    if (bytes < kMinPasteBytes)
        return QStringLiteral("剪切板中没有复制地址内容~");
    if (bytes > kMaxPasteBytes)
        return QStringLiteral("剪切板数据过长，青木鸟处理不了！");
    return {};
}

QString AddressRecogniser::contactFromClipboard(const QString& clipboard, int limitBytes) {
    if (clipboard.isEmpty() || P::bytes(clipboard) > limitBytes)
        return {};
    QString text = clipboard;
    text.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    return P::trim(text);
}

bool AddressRecogniser::optionOn(const QString& value) {
    const QString v = value.trimmed().toLower();
    return v == QStringLiteral("1") || v == QStringLiteral("yes") || v == QStringLiteral("checked");
}

QString AddressRecogniser::normalise(const QString& input) const {
    QStringList lines = input.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast(); // a closing line break starts no line of its own
    for (qsizetype i = lines.size() - 2; i >= 0; --i)
        if (P::trim(lines.at(i)).isEmpty())
            lines.removeAt(i);
    QString t = lines.join(QStringLiteral("\r\n"));
    if (P::trim(t).isEmpty())
        return t;

    for (const char* online : {"旺旺在线", "旺旺离线", "手机在线"})
        t.replace(QString::fromUtf8(online), QStringLiteral(","));
    t.replace(QStringLiteral("　"), kBlank);
    t.replace(QStringLiteral("－"), QStringLiteral("-"));
    t.replace(QStringLiteral("："), QStringLiteral(":"));
    t.replace(QStringLiteral("  "), kBlank);
    t.replace(QStringLiteral(": "), QStringLiteral(":"));
    for (const char* label : {"地址", "姓名", "联系人"}) {
        const QString word = QString::fromUtf8(label);
        if (!t.contains(word + QLatin1Char(':')))
            t.replace(word, word + QLatin1Char(':'));
    }
    t.replace(QStringLiteral("，"), QStringLiteral(","));
    t.replace(QStringLiteral(", "), QStringLiteral(","));
    t.replace(QStringLiteral(" ,"), QStringLiteral(","));
    t.replace(QStringLiteral("旺旺在线"), QStringLiteral(","));
    t.replace(QStringLiteral("地区:"), QStringLiteral("区域:"));
    t = P::replaceFirst(t, QStringLiteral("新疆维吾尔自治区"), QStringLiteral("新疆维吾尔族自治区"));
    for (const auto& [from, to] : m_data.characterFixes)
        t = P::replaceAll(t, from, to);
    for (const char* label : {"地址:", "电话:"}) {
        const QString word = QString::fromUtf8(label);
        if (!t.contains(QLatin1Char('\n') + word))
            t.replace(word, QStringLiteral("\r\n") + word);
    }
    return QStringLiteral("\n\r") + t + QStringLiteral("\n\r");
}

void AddressRecogniser::recognise(const QString& source) {
    if (mend) {
        // Emoji say nothing a waybill needs and would stick to the name or the street.
        static const QRegularExpression emoji(
            QStringLiteral("[\\x{1F000}-\\x{1FAFF}\\x{2600}-\\x{27BF}\\x{FE0F}\\x{200D}]"));
        m_source = joinSplitNames(prepareNumbers(recipientBlock(source))).remove(emoji);
    } else {
        m_source = source;
    }
    m_work = m_source;
    if (P::trim(m_work).isEmpty())
        return;
    findMobile();
    findTelephone();
    if (!findRegionInOnePiece()) {
        findRegionInParts();
        if (mend)
            checkCity();
    }
    findAddress();
    findPostcode();
    findContact();
    findCompany();
    addressFallbacks();
    applyAddressRule();
    townAndAddress();
    dropAddressCandidates();
    settleTelephone();
    shortenProvince();
    cleanAddress();
    dropContactsInAddress();
    if (!company.text.isEmpty() && address.text.isEmpty())
        address.text = company.text;
    applyAddressRule();
    if (mend) {
        mendResults();
        regionFromTable();
    }
}

void AddressRecogniser::findMobile() {
    handset.clear();
    // A mobile has eleven digits; a longer run of digits is an order number, never cut into one.
    handset.receive(P::findAll(m_work, mend ? QStringLiteral("(?<![0-9])1[3-9][0-9]{9}(?![0-9])")
                                            : QStringLiteral("[1]{1}[0-9]{10,13}")));
    m_work.replace(QStringLiteral("手机:") + handset.text, kBlank);
    if (handset.items.size() == 1)
        m_work = P::replaceAll(m_work, handset.text, kBlank);
}

void AddressRecogniser::findTelephone() {
    phone.clear();
    static const QStringList patterns = {
        QStringLiteral(R"([电][话][:]([0-9]|-|\(|\)|\+|转|分机|[Ee][Xx][Tt]\.?){7,22})"),
        QStringLiteral(
            R"([\(]{0,1}[0-9]{3,4}[\)]{0,1}[0-9]{7,8}(?:-|转|分机|[Ee][Xx][Tt]\.?){0,1}[0-9]{0,6})"),
        QStringLiteral("[,| ]{1}[0-9]{7,8}[,| ]{1}"),
        QStringLiteral(R"([0-9]{3,4}-[0-9]{7,8}(?:-|转|分机|[Ee][Xx][Tt]\.?){0,1}[0-9]{0,6})"),
    };
    for (const QString& pattern : patterns) {
        phone.receive(P::findAll(m_work, pattern, QStringLiteral(R"([^,\s]{7,22})")));
        m_work.replace(QStringLiteral("电话:") + phone.text, kBlank);
        if (phone.items.size() == 1)
            m_work = P::replaceAll(m_work, phone.text, kBlank);
        phone.text.replace(QLatin1Char('\''), kBlank);
    }
}

bool AddressRecogniser::findRegionInOnePiece() {
    if (mend) {
        // A region found in one piece sets only what it holds; nothing of the last run may stay.
        province.clear();
        city.clear();
        town.clear();
    }
    m_regionPiece.clear();
    static const QStringList patterns = onePiecePatterns();
    for (const QString& pattern : patterns) {
        QString piece = P::findOne(m_work, pattern);
        if (piece.isEmpty() || piece.contains(QLatin1Char(':')))
            continue;
        m_work.remove(piece);
        m_regionPiece = piece;
        QString found = P::findOne(piece, kProvince);
        if (!found.isEmpty()) {
            found = P::trim(P::replaceFirst(found, QStringLiteral("市"), QString()));
            province.text = P::findOne(found, kRegionName);
            piece = P::replaceFirst(piece, found, QString());
        }
        splitProvinceCityArea(piece);
        return true;
    }
    return false;
}

void AddressRecogniser::splitProvinceCityArea(QString piece) {
    piece.prepend(QLatin1Char(','));
    QString found = P::findOne(piece, QStringLiteral("[,]{1}[^0-9a-zA-Z]{2,4}([市]|[盟]|[地][区])"));
    if (found.isEmpty())
        found = P::findOne(piece, QStringLiteral("[,]{1}[^0-9a-zA-Z]{4,8}([自][治][州])"));
    if (!found.isEmpty()) {
        city.text = P::findOne(found, kPlaceName);
        piece = P::replaceFirst(piece, city.text, QString());
        piece = P::replaceFirst(piece, QStringLiteral(","), QString());
    } else {
        if (isMunicipality(province.text))
            city.text = province.text + QStringLiteral("市");
        piece = P::replaceFirst(piece, QStringLiteral(",市"), QString());
        piece = P::replaceFirst(piece, QStringLiteral(","), QString());
    }
    town.text = P::findOne(piece, kPlaceName);
}

void AddressRecogniser::findRegionInParts() {
    province.clear();
    city.clear();
    town.clear();
    province.receive(P::findAll(m_work, kProvince));
    province.receive(P::findAll(m_work, QStringLiteral("(省:)([^ \n,]){2,10}")));
    province.receive(
        P::findAll(m_work, QStringLiteral("([上][海][市]|[重][庆][市]|[北][京][市]|[天][津][市])")));

    static const QStringList cityPatterns = {
        QStringLiteral(R"((([ ]|[\n]|[省])){1}[^ \s]{2,16}([市]|[县]|[盟]){1})"),
        QStringLiteral(R"(([市]|[县]){1}[:]{1}[^ \s]{2,16}([市]|[县]|[盟]){0,1})"),
        QStringLiteral("([上][海]|[重][庆]|[北][京]|[天][津]){1}([市]){1}"),
    };
    for (const QString& pattern : cityPatterns) {
        city.receive(P::findAll(m_work, pattern, QStringLiteral("[^省]{1,}")));
        if (P::bytes(city.text) > 6)
            city.text = P::replaceFirst(city.text, province.text, QString());
    }

    const QString townSub = m_work.contains(QStringLiteral("市中区")) ? QStringLiteral("([市][中][区])")
                                                                      : QStringLiteral("([^市]{1,5})");
    town.collect(P::findAll(
        m_work, QStringLiteral("(([镇]|[区])[:]){0,1}[^ 0-9a-zA-Z]{2,4}([镇]|[区]|[旗]){1}"), townSub));
    town.collect(P::findAll(
        m_work, QStringLiteral("(([镇]|[区])[:]){1}[^ 0-9a-zA-Z]{2,4}([镇]|[区]|[旗]){0,1}"), townSub));
    static const QStringList notTowns = {QStringLiteral("小区"),   QStringLiteral("自治区"),
                                         QStringLiteral("风景区"), QStringLiteral("名胜区"),
                                         QStringLiteral("工业区"), QStringLiteral("工业园区"),
                                         QStringLiteral("行政区")};
    town.items.removeIf([](const QString& candidate) {
        if (candidate == QStringLiteral("区"))
            return true;
        for (const QString& word : notTowns)
            if (candidate.contains(word))
                return true;
        return false;
    });
    town.text = town.items.value(0);
}

void AddressRecogniser::findAddress() {
    address.clear();
    const QString sub = QStringLiteral("[^:,]{5,70}");
    address.collect(P::findAll(
        m_work,
        QStringLiteral(
            R"([^,:]{2,30}([房]|[座]|[楼]|[樓]|([大][厦])|([旁][边])|([对][面])|([商][厦])|[苑]|[室]|)"
            R"([#]|[号]|[路]|[栋]|[幢]|[村]|[镇]|[乡]|[街]|[园]|([校][区])|([单][元])|([宿][舍])|)"
            R"(([公][寓])|[道]){1,}([^,:\r\n]{2,30}))"),
        sub));
    address.collect(P::findAll(
        m_work,
        QStringLiteral(
            R"([ |,|:]{1}[^\n,:]{2,4}([省]|[自][治][区]|[盟]){1}[^\n,:]{2,5}([市]|[县]|[旗]){1}[^\n,:]{4,60}[,|\s|\n]{0,1})"),
        sub));
    if (format == SourceFormat::PaiPai) {
        const QStringList more = P::findAll(
            m_work, QStringLiteral(R"(([ ][^\n]{5,45}[ ][^\n\(]{5,35}))"),
            QStringLiteral(
                R"([^\n]{3,}([座]|[楼]|[厦]|[号]|[室]|[路]|[栋]|[幢]|[舍]|[街]|[园]|[道]|[村]|[#]|)"
                R"(([宿][舍])|([校][区])|([单][元])|[段]|[乡]){1,}([^\n]{0,60}))"));
        for (const QString& value : more)
            if (P::bytes(value) > 6)
                address.items << value;
    }
    address.items.removeIf([this](const QString& candidate) {
        return candidate == province.text || candidate == city.text || candidate == town.text;
    });
    int longest = -1;
    for (const QString& candidate : std::as_const(address.items)) {
        if (P::bytes(candidate) >= longest) {
            longest = P::bytes(candidate);
            address.text = candidate;
        }
    }
    address.text = P::replaceFirst(address.text, name.text + kBlank, QString());
    address.text = P::replaceFirst(address.text, QStringLiteral("(邮编"), QString());
    applyAddressRule();
}

void AddressRecogniser::findPostcode() {
    zipcode.clear();
    for (const QString& pattern :
         {QStringLiteral("([邮][编][:]){1}[0-9]{6}"),
          QStringLiteral(R"(([:|[\(]|[ ]|[,]|[\r]|[\n]){1}[0-9]{6}([\)]|[,]|[\s]|[\r]|[\n]){1})")}) {
        const QStringList found = P::findAll(m_work, pattern);
        if (!found.isEmpty())
            zipcode.receive(P::findAll(found.first(), QStringLiteral("[0-9]{6}")));
    }
    m_work = P::replaceAll(m_work, QStringLiteral("(邮编:") + zipcode.text + QStringLiteral(")"), kBlank);
    m_work = P::replaceAll(m_work, QStringLiteral("(") + zipcode.text + QStringLiteral(")"), kBlank);
}

void AddressRecogniser::findContact() {
    name.clear();
    name.collect(P::findAll(m_work, QStringLiteral("([姓][名]|[收][货][人]|[联][系][人])[:][^ \n]{2,15}")));
    name.collect(P::findAll(m_work, QStringLiteral(R"([:|,|\r|\n][^ ]{2,5}[,]{1})")));
    name.collect(P::findAll(
        m_work,
        QStringLiteral(
            R"(([李]|[王]|[张]|[刘]|[陈]|[杨]|[黄]|[赵]|[周]|[吴]|[徐]|[孙]|[朱]|[马]|[胡]|[郭]|[林]|)"
            R"([何]|[高]|[梁]|[郑]|[罗]|[宋]|[谢]|[唐]|[韩]|[曹]|[许]|[邓]|[萧]|[冯]|[曾]|[程]|[蔡]|)"
            R"([彭]|[潘]|[袁]|[于]|[董]|[余]|[苏]|[叶]|[吕]|[魏]|[蒋]|[田]|[杜]|[丁]|[沈]|[姜]|[范]|)"
            R"([傅]|[钟]|[卢]|[江]|[汪]|[戴]|[崔]|[任]|[陆]|[廖]|[姚]|[方]|[金]|[邱]|[夏]|[谭]|[韦]|)"
            R"([贾]|[邹]|[石]|[熊]|[孟]|[秦]|[阎]|[薛]|[侯]|[雷]|[白]|[龙]|[段]|[郝]|[孔]|[邵]|[史]|)"
            R"([毛]|[常]|[万]|[顾]|[赖]|[武]|[康]|[贺]|[严]|[尹]|[钱]|[施]|[牛]|[洪]|[龚]|[栾]|[肖]|)"
            R"([詹]|[翁]){1}[\W]{1,3}(\n|[ ]){1})")));
    static const QStringList noNames = {QStringLiteral("龙江省"), QStringLiteral("江区"),
                                        QStringLiteral("江省"), QStringLiteral("江镇"),
                                        QStringLiteral("江市")};
    auto dropNonNames = [this] {
        name.items.removeIf([this](const QString& c) {
            return c.isEmpty() || noNames.contains(c) || c == province.text || c == city.text ||
                   c == town.text || P::bytes(c) <= 2;
        });
    };
    dropNonNames();
    if (name.items.isEmpty())
        name.collect(P::findAll(m_work, QStringLiteral(R"([\s|\n| |:]{1}[^\n0-9a-zA-Z ]{2,5}[ ])")));
    for (QString& candidate : name.items)
        candidate.remove(QLatin1Char(','));
    if (name.items.size() == 1) {
        name.text = name.items.first();
    } else if (!name.items.isEmpty()) {
        name.text = name.items.first();
        for (qsizetype i = name.items.size() - 1; i >= 0; --i) {
            const QString& c = name.items.at(i);
            static const QRegularExpression regionWord(QStringLiteral("[省市区县镇村组]"));
            if (!c.contains(regionWord) && c != province.text && c != city.text) {
                name.text = c;
                break;
            }
        }
    }
}

void AddressRecogniser::findCompany() {
    company.clear();
    const QString sub = QStringLiteral(R"([^,\r\n:]{4,})");
    company.receive(P::findAll(
        m_work,
        QStringLiteral(
            R"(([ ]|[:]|\n|\r|,){1}[^:, \s]{4,}(([公][司])|([事][务][所])|([经][销][部])|([分][行])|)"
            R"(([大][学])|([中][学])|([小][学])|([学][院])|([人][事][处])|([委][员][会])|([组][织][部])|)"
            R"(([卫][生][院])|([分][院])|[校]|[厅]|[办]|[局]|[站]|([营][业][部])|([办][事][处])))"),
        sub));
    company.receive(P::findAll(m_work,
                               QStringLiteral(R"(([ ]|[:]|\n|\r|,){1}[^:, \s]{2,}(([检][察][院])|([法][院])|)"
                                              R"(([医][院])|([公][安][局])|([税][务][局])))"),
                               sub));
    // The group after ":" begins with an anchor and so never matches; kept as it always was.
    company.receive(P::findAll(
        m_work, QStringLiteral(R"((([公][司])|([公][司][名][称])){1}[:](^:, \s\n\r){4,50})"), sub));
}

void AddressRecogniser::addressFallbacks() {
    if (!company.text.isEmpty() && address.text.isEmpty()) {
        for (const QString& value :
             P::findAll(m_work, QStringLiteral(R"([^\s\n| ]{1}[^ ,]{7,30}[\s|\n| |,]{0,1})")))
            if (value != phone.text && value != handset.text)
                address.items << value;
    }
    if (address.items.isEmpty()) {
        for (const QString& value : P::findAll(m_work, QStringLiteral("[^\n,\r:]{5,40}"))) {
            if (!P::contains(value, phone.text) && !P::contains(value, handset.text) &&
                !P::contains(value, zipcode.text))
                address.items << value;
        }
    }
}

void AddressRecogniser::applyAddressRule() {
    QString t = P::replaceFirst(P::trim(address.text), kBlank, QString());
    if (containProvinceCity) {
        QString front;
        // A municipality's city (北京市) already names its province.
        const bool cityNamesProvince =
            mend && P::contains(city.text, province.text) && !P::contains(t, city.text);
        if (!P::contains(t, province.text) && !cityNamesProvince)
            front += province.text;
        if (!P::contains(t, city.text))
            front += city.text;
        if (!P::contains(t, town.text))
            front += town.text;
        t = front + t;
    } else {
        // Taking 北京 out of 北京市海淀区 would leave its 市 behind: the city goes first there.
        const bool cityFirst = mend && P::contains(city.text, province.text);
        for (const QString* part :
             {cityFirst ? &city.text : &province.text, cityFirst ? &province.text : &city.text, &town.text}) {
            t = P::trim(P::replaceFirst(t, *part, QString()));
            while (t.startsWith(QLatin1Char(',')))
                t.remove(0, 1);
        }
    }
    address.text = t;
}

void AddressRecogniser::townAndAddress() {
    if (!town.text.isEmpty() && address.text.startsWith(town.text))
        address.text = P::trim(address.text.mid(town.text.size()));
    if (town.text.isEmpty() && city.items.size() > 1 && city.items.at(1).contains(QStringLiteral("县")))
        town.text = city.items.at(1);
}

void AddressRecogniser::dropAddressCandidates() {
    for (qsizetype i = address.items.size() - 1; i >= 0; --i) {
        const QString& c = address.items.at(i);
        bool drop = false;
        if (!containProvinceCity && P::contains(c, province.text)) {
            drop = P::bytes(c) <= P::bytes(province.text) + 3;
        } else if (c.contains(QStringLiteral("电话号码")) || c.contains(QStringLiteral("手机号码")) ||
                   c.contains(QStringLiteral("邮箱"))) {
            drop = true;
        } else if (P::contains(c, phone.text) || P::contains(c, handset.text) ||
                   P::contains(c, zipcode.text)) {
            // A street written with its postcode or number behind it is still the street.
            const QString street = mend ? withoutNumbers(c) : QString();
            drop = P::bytes(street) < 6;
            if (!drop)
                address.items[i] = street;
        }
        if (drop)
            address.items.removeAt(i);
    }
    address.text = address.items.value(0);
}

QString AddressRecogniser::withoutNumbers(QString text) const {
    for (const QString& number : {zipcode.text, phone.text, handset.text}) {
        if (number.isEmpty())
            continue;
        text = P::replaceAll(text, QStringLiteral("(邮编:") + number + QStringLiteral(")"), kBlank);
        text = P::replaceAll(text, QStringLiteral("(") + number + QStringLiteral(")"), kBlank);
        text = P::replaceAll(text, number, kBlank);
    }
    static const QRegularExpression label(QStringLiteral("(邮编|电话|手机)[:]?\\s*$"));
    text = P::trim(text).remove(label);
    while (text.endsWith(QLatin1Char(',')))
        text.chop(1);
    return P::trim(text);
}

void AddressRecogniser::settleTelephone() {
    if (P::contains(handset.text, phone.text))
        phone.text = handset.text;
    if (phone.text.isEmpty())
        phone.collect(P::findAll(m_work, QStringLiteral("[0-9]{7,8}[-]{0,1}[0-9]{4,6}")));
}

namespace {

// An autonomous region goes by its short name (广西壮族自治区 -> 广西); other names stay.
QString shortProvince(const QString& province) {
    static const QList<QPair<QString, QString>> shorter = {
        {QStringLiteral("广西壮族自治区"), QStringLiteral("广西")},
        {QStringLiteral("宁夏回族自治区"), QStringLiteral("宁夏")},
        {QStringLiteral("西藏自治区"), QStringLiteral("西藏")},
        {QStringLiteral("新疆维吾尔自治区"), QStringLiteral("新疆")},
        {QStringLiteral("新疆维吾尔族自治区"), QStringLiteral("新疆")},
        {QStringLiteral("内蒙古自治区"), QStringLiteral("内蒙古")},
    };
    for (const auto& [full, shortName] : shorter)
        if (province == full)
            return shortName;
    return province;
}

} // namespace

void AddressRecogniser::shortenProvince() {
    province.text = shortProvince(province.text);
}

void AddressRecogniser::cleanAddress() {
    auto clean = [this](QString t) {
        t = P::replaceAll(t, QStringLiteral("(") + zipcode.text + QStringLiteral(")"), QString());
        t = P::replaceAll(t, QStringLiteral(",") + zipcode.text, QString());
        t = P::trim(P::replaceAll(t, zipcode.text, QString()));
        return t;
    };
    auto dropClosingComma = [](QString& t) {
        const qsizetype comma = t.indexOf(QLatin1Char(','));
        if (comma >= 0 && comma == t.size() - 1)
            t.chop(1);
    };
    address.text = clean(address.text);
    for (QString& candidate : address.items)
        dropClosingComma(candidate);
    dropClosingComma(address.text);
    if (address.text.startsWith(name.text))
        address.text = P::trim(P::replaceAll(address.text, name.text, QString()));
}

void AddressRecogniser::dropContactsInAddress() {
    if (name.items.isEmpty() || address.text.isEmpty())
        return;
    const int i = P::bytePos(province.text, m_source);
    for (qsizetype k = name.items.size() - 1; k >= 0; --k) {
        const QString c = name.items.at(k);
        const int j = P::bytePos(c, m_source);
        if (0 < i && i < j && j < i + P::bytes(address.text)) {
            name.items.removeAt(k);
        } else if (c == province.text || c == city.text || c == town.text) {
            name.items.removeAt(k);
            name.text.clear();
        }
    }
    if (!name.items.isEmpty())
        name.text = name.items.first();
}

namespace {

bool isCourtesy(const QString& text) {
    static const QStringList words = {
        QStringLiteral("你好"), QStringLiteral("您好"),   QStringLiteral("谢谢"),   QStringLiteral("谢谢你"),
        QStringLiteral("亲"),   QStringLiteral("亲爱的"), QStringLiteral("麻烦"),   QStringLiteral("麻烦了"),
        QStringLiteral("在吗"), QStringLiteral("收到"),   QStringLiteral("辛苦了"), QStringLiteral("谢了")};
    return words.contains(text);
}

// A label typed without its colon stays in front of the name it announces (收件人刘芳), and a chat
// message often closes the name with 收 (刘洋收).
QString withoutNameLabel(QString text) {
    static const QRegularExpression label(QStringLiteral("^(收件人|收货人|联系人|姓名|收件|收货)[:]?"));
    text = PatternSearch::trim(text.remove(label));
    if (text.endsWith(QStringLiteral("收")) && PatternSearch::bytes(text) >= 6)
        text.chop(1);
    return text;
}

} // namespace

void AddressRecogniser::checkCity() {
    // 济南市市中区 read in parts gives the city 济南市市: keep the stored city it begins with and
    // give the rest back to the district.
    const QStringList known = m_data.citiesOfProvince.value(m_data.storedProvince(province.text));
    if (city.text.isEmpty() || known.contains(city.text))
        return;
    for (const QString& stored : known) {
        if (stored.size() < city.text.size() && city.text.startsWith(stored)) {
            const QString rest = city.text.mid(stored.size());
            city.text = stored;
            if (!town.text.isEmpty() && !town.text.startsWith(rest) && m_source.contains(rest + town.text))
                town.text.prepend(rest);
            return;
        }
    }
}

void AddressRecogniser::mendContact() {
    QStringList kept;
    for (const QString& candidate : std::as_const(name.items)) {
        const QString c = withoutNameLabel(candidate);
        if (P::bytes(c) > 2 && !isCourtesy(c) && c != province.text && c != city.text && c != town.text &&
            !kept.contains(c))
            kept << c;
    }
    const QString chosen = withoutNameLabel(name.text);
    name.items = kept;
    if (kept.contains(chosen))
        name.text = chosen;
    else if (kept.isEmpty())
        name.text.clear();
    else
        name.text = kept.first();
}

void AddressRecogniser::mendResults() {
    mendContact();
    const bool withRegion = containProvinceCity;
    containProvinceCity = false;
    applyAddressRule();
    QString street = address.text;
    // Read across line breaks, the street carries the lines before it; a name alone on one of
    // them is the contact when none was found.
    static const QRegularExpression lineBreaks(QStringLiteral("[\r\n]+"));
    if (street.contains(lineBreaks)) {
        QStringList lines;
        for (const QString& line : street.split(lineBreaks))
            if (!P::trim(line).isEmpty())
                lines << P::trim(line);
        static const QRegularExpression aName(QStringLiteral("^[\\x{4e00}-\\x{9fa5}]{2,4}$"));
        for (qsizetype k = 0; name.text.isEmpty() && k + 1 < lines.size(); ++k)
            if (aName.match(lines.at(k)).hasMatch() && !isCourtesy(lines.at(k)))
                name.text = lines.at(k);
        street = lines.value(lines.size() - 1);
    }
    street = withoutNumbers(street);
    // A chat message runs straight on into the address (帮我发到 北京市…): what stood before the
    // region in the text is no part of the street.
    if (const qsizetype at = m_source.indexOf(m_regionPiece); !m_regionPiece.isEmpty() && at > 0) {
        const QString before = P::trim(m_source.left(at));
        for (qsizetype n = std::min(before.size(), street.size()); n >= 2; --n) {
            if (street.startsWith(before.right(n))) {
                street = P::trim(street.mid(n));
                break;
            }
        }
    }
    // The contact, a closing greeting or the next label left behind the street.
    static const QRegularExpression trailingLabel(
        QStringLiteral("[ ,]*(收货人|收件人|联系人|姓名|电话|手机|邮编)[:]?$"));
    street = P::trim(street.remove(trailingLabel));
    if (const qsizetype at = street.lastIndexOf(name.text); !name.text.isEmpty() && at > 0) {
        const QString after = P::trim(street.mid(at + name.text.size()));
        if (after.isEmpty() || isCourtesy(after))
            street = P::trim(street.left(at));
    }
    address.text = street;
    containProvinceCity = withRegion;
    applyAddressRule();
}

QString AddressRecogniser::prepareNumbers(QString text) {
    static const QRegularExpression prefixed(QStringLiteral(
        "(?<![0-9])(?:(?:\\+86|0086)[ -]?|86-?)(1[3-9][0-9])[ -]?([0-9]{4})[ -]?([0-9]{4})(?![0-9])"));
    static const QRegularExpression grouped(
        QStringLiteral("(?<![0-9-])(1[3-9][0-9])[ -]([0-9]{4})[ -]([0-9]{4})(?![0-9-])"));
    static const QRegularExpression labelledRun(QStringLiteral(
        "(订单号|订单编号|订单|运单号|快递单号|物流单号|交易号|流水号|单号)[:]?\\s*[A-Za-z]{0,4}[0-9]{6,}"));
    static const QRegularExpression longRun(QStringLiteral("(?<![0-9])[0-9]{12,}(?![0-9])"));
    static const QRegularExpression areaBlank(
        QStringLiteral("(?<![0-9-])(\\(?0[1-9][0-9]{1,2}\\)?) ([2-9][0-9]{6,7})(?![0-9])"));
    static const QRegularExpression extension(
        QStringLiteral("([-)][0-9]{7,8}) ?(转|分机|ext\\.?|EXT\\.?|Ext\\.?)[:]? ?([0-9]{1,6})(?![0-9])"));
    // A masked mobile (139****6721) can be dialled by nobody; left in, its digits would be read as
    // part of the street or another number.
    static const QRegularExpression masked(
        QStringLiteral("(?<![0-9])1[3-9][0-9]{0,5}[*＊]{3,8}[0-9]{0,5}(?![0-9])"));
    // A landline's local part written in two groups (0755-8888 1234, 021 6234-5678) is one number.
    static const QRegularExpression localGroups(
        QStringLiteral("(?<![0-9])(\\(?0[1-9][0-9]{1,2}\\)?)[ -]?([2-9][0-9]{2,3})[ -]([0-9]{4})(?![0-9])"));
    // Without its area code the local part follows a label (电话:8888 1234).
    static const QRegularExpression labelledLocal(
        QStringLiteral("((?:电话|座机|固话|[Tt][Ee][Ll])[:]?\\s*)([2-9][0-9]{2,3})[ -]([0-9]{4})(?![0-9])"));
    text.replace(masked, kBlank);
    text.replace(labelledLocal, QStringLiteral("\\1\\2\\3"));
    text.replace(prefixed, QStringLiteral("\\1\\2\\3"));
    text.replace(grouped, QStringLiteral("\\1\\2\\3"));
    text.replace(labelledRun, kBlank);
    text.replace(longRun, kBlank);
    QString joined;
    qsizetype from = 0;
    for (auto it = localGroups.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString area = m.captured(1);
        joined += text.mid(from, m.capturedStart() - from) + area +
                  (area.startsWith(QLatin1Char('(')) ? QString() : QStringLiteral("-")) + m.captured(2) +
                  m.captured(3);
        from = m.capturedEnd();
    }
    text = joined + text.mid(from);
    // (0871) 65123456 only loses its blank; 0871 65123456 gets the usual "-".
    QString out;
    qsizetype last = 0;
    for (auto it = areaBlank.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString area = m.captured(1);
        out += text.mid(last, m.capturedStart() - last);
        out += area.startsWith(QLatin1Char('(')) ? area + m.captured(2)
                                                 : area + QLatin1Char('-') + m.captured(2);
        last = m.capturedEnd();
    }
    text = out + text.mid(last);
    // An extension keeps the word it was written with (转8023, 分机8021); only blanks and the colon go.
    text.replace(extension, QStringLiteral("\\1\\2\\3"));
    return text;
}

QString AddressRecogniser::recipientBlock(const QString& text) {
    // Words name a side wherever they stand; a lone 寄 or 收 only at a field's start with its colon
    // or alone on its line (a waybill's boxes), so 寄到 and 刘洋收 are no labels.
    static const QRegularExpression label(
        QStringLiteral("(寄件人|发件人|寄件方|发货人|寄货人|寄件信息|发件信息|(?:寄件|发件|发货|退货)\\s*"
                       "地址|寄方信息|卖家信息|"
                       "(?:寄件|发件|卖家|(?<![A-Za-z])[Ff][Rr][Oo][Mm])(?=\\s*[:：]))|"
                       "(收件人|收货人|收件方|收件信息|收货信息|(?:收件|收货)\\s*地址|收方信息|买家信息|"
                       "(?:收件|收货|(?<![A-Za-z])[Tt][Oo])(?=\\s*[:：]))|"
                       "(?:^|(?<=[\\s,;，；]))(?:([寄发])|(收))(?:\\s*[:：]|[ \\t]*(?=[\\r\\n]))"));
    struct Mark {
        qsizetype at, end;
        bool sender;
    };
    QList<Mark> marks;
    bool anySender = false, anyRecipient = false;
    for (auto it = label.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const bool sender = m.capturedLength(1) > 0 || m.capturedLength(3) > 0;
        marks.append({m.capturedStart(), m.capturedEnd(), sender});
        (sender ? anySender : anyRecipient) = true;
    }
    if (!anySender && !anyRecipient) {
        // Two blocks written alike without a side named: a waybill prints the recipient's box
        // first, so the text is read up to where its first label comes again.
        static const QRegularExpression field(
            QStringLiteral("(?<![\\x{4e00}-\\x{9fa5}])(姓名|联系人|地址|电话|手机)[:]"));
        const QRegularExpressionMatch first = field.match(text);
        if (!first.hasMatch())
            return text;
        const QRegularExpression same(
            QStringLiteral("(?<![\\x{4e00}-\\x{9fa5}])%1[:]").arg(first.captured(1)));
        const QRegularExpressionMatch again = same.match(text, first.capturedEnd());
        return again.hasMatch() ? text.left(again.capturedStart()) + QStringLiteral("\n\r") : text;
    }
    if (!anySender)
        return text;
    QString out;
    if (anyRecipient) {
        // A side's part runs from its first label to the other side's next label.
        for (qsizetype i = 0; i < marks.size(); ++i) {
            if (marks.at(i).sender || (i > 0 && !marks.at(i - 1).sender))
                continue;
            qsizetype j = i + 1;
            while (j < marks.size() && !marks.at(j).sender)
                ++j;
            const qsizetype end = j < marks.size() ? marks.at(j).at : text.size();
            out += text.mid(marks.at(i).at, end - marks.at(i).at) + QStringLiteral("\n");
        }
    } else {
        // Only the sender labelled: the sender's part is its line (and the next one when the
        // label stands alone on its line); the rest is the recipient's.
        qsizetype from = 0;
        for (const Mark& mark : std::as_const(marks)) {
            if (mark.at < from)
                continue;
            out += text.mid(from, mark.at - from);
            qsizetype end = text.indexOf(QLatin1Char('\n'), mark.end);
            static const QRegularExpression emptyRest(QStringLiteral("^[\\s:：]*$"));
            if (end >= 0 && emptyRest.match(QStringView(text).mid(mark.end, end - mark.end)).hasMatch())
                end = text.indexOf(QLatin1Char('\n'), end + 1);
            from = end < 0 ? text.size() : end;
        }
        out += text.mid(from);
    }
    // A lone 收: has done its work and would stand in front of the name.
    static const QRegularExpression lone(
        QStringLiteral("(?:^|(?<=[\\s,;，；]))收(?:\\s*[:：]|[ \\t]*(?=[\\r\\n]))\\s*"));
    out.replace(lone, QString());
    return P::trim(out).isEmpty() ? text : QStringLiteral("\n\r") + out + QStringLiteral("\n\r");
}

QString AddressRecogniser::joinSplitNames(QString text) {
    static const QRegularExpression split(
        QStringLiteral(
            "(?<![\\x{4e00}-\\x{9fa5}])([%1]) ([\\x{4e00}-\\x{9fa5}]{1,2})(?![\\x{4e00}-\\x{9fa5}])")
            .arg(kSurnames));
    text.replace(split, QStringLiteral("\\1\\2"));
    static const QRegularExpression compound(
        QStringLiteral("(?<![\\x{4e00}-\\x{9fa5}])(%1) ([\\x{4e00}-\\x{9fa5}]{1,2})(?![\\x{4e00}-\\x{9fa5}])")
            .arg(kCompoundSurnames));
    text.replace(compound, QStringLiteral("\\1\\2"));
    return text;
}

namespace {

const QString kHan = QStringLiteral("\\x{4e00}-\\x{9fa5}");

bool isHanChar(QChar c) {
    return c.unicode() >= 0x4e00 && c.unicode() <= 0x9fa5;
}

// Labels, departments and forms of address that stand where a name is expected.
bool isNoName(const QString& text) {
    static const QStringList words = {
        QStringLiteral("电话"),     QStringLiteral("手机"),     QStringLiteral("号码"),
        QStringLiteral("地址"),     QStringLiteral("老板"),     QStringLiteral("老板娘"),
        QStringLiteral("亲爱的"),   QStringLiteral("客服"),     QStringLiteral("掌柜"),
        QStringLiteral("店主"),     QStringLiteral("卖家"),     QStringLiteral("买家"),
        QStringLiteral("先生"),     QStringLiteral("女士"),     QStringLiteral("小姐"),
        QStringLiteral("收件"),     QStringLiteral("收货"),     QStringLiteral("快递"),
        QStringLiteral("顺丰"),     QStringLiteral("谢谢"),     QStringLiteral("你好"),
        QStringLiteral("您好"),     QStringLiteral("麻烦"),     QStringLiteral("前台"),
        QStringLiteral("仓库"),     QStringLiteral("名字"),     QStringLiteral("姓名"),
        QStringLiteral("联系人"),   QStringLiteral("收货人"),   QStringLiteral("收件人"),
        QStringLiteral("寄到"),     QStringLiteral("发到"),     QStringLiteral("手机号"),
        QStringLiteral("固话"),     QStringLiteral("座机"),     QStringLiteral("联系电话"),
        QStringLiteral("详细地址"), QStringLiteral("所在地区"), QStringLiteral("邮编"),
        QStringLiteral("单位"),     QStringLiteral("公司"),     QStringLiteral("收货地址"),
        QStringLiteral("手机号码"), QStringLiteral("我的地址"), QStringLiteral("地址是"),
        QStringLiteral("谢谢你"),   QStringLiteral("辛苦了"),   QStringLiteral("在吗"),
        QStringLiteral("同事"),     QStringLiteral("本人"),     QStringLiteral("家里"),
        QStringLiteral("门卫"),     QStringLiteral("联系方式"), QStringLiteral("收件地址"),
        QStringLiteral("收件电话"), QStringLiteral("经理")};
    if (text.size() < 2 || words.contains(text))
        return true;
    static const QRegularExpression notPerson(QStringLiteral(
        "(部|处|科|室|组|店|厂|公司|中心|办|省|市|区|县|镇|乡|村|路|街|号|楼|栋|收|订单|地址|电话|手机|"
        "发到|寄到|麻烦|谢谢|你好|您好|帮我|这里|我|写|亲|还是|工作日|周末|星期|礼拜|节假日|上午|下午|中午|"
        "晚上|早上|白天|今天|明天|后天|尽快|送货|信息|哦|吧|呢|啊|呀)"));
    return notPerson.match(text).hasMatch();
}

// The forms of address a clerk leaves off a full name; a surname with one of them stays as
// written (王经理), since the surname alone would name nobody.
const QString kTitles = QStringLiteral("老师|女士|先生|小姐|经理|师傅|医生|主任|同学|阿姨");

QString withoutTitle(const QString& name) {
    static const QRegularExpression title(QStringLiteral("(?:%1)$").arg(kTitles));
    const QRegularExpressionMatch m = title.match(name);
    return m.hasMatch() && m.capturedStart() >= 2 ? name.left(m.capturedStart()) : name;
}

// Only Chinese characters (and the dot of a transcribed name) make a contact; English words and
// emoji are never one.
bool isHanName(const QString& text) {
    static const QRegularExpression han(QStringLiteral("^[\\x{4e00}-\\x{9fa5}·]{2,}$"));
    return han.match(text).hasMatch();
}

// A division's full or former name; its short form may well be a person's name (白玉, 贺兰).
bool isRegionName(const QString& text) {
    const QList<RegionTable::Mention> found = RegionTable::shipped().mentions(text);
    if (found.isEmpty() || found.first().start != 0 || found.first().length != text.size())
        return false;
    for (const auto& candidate : found.first().candidates)
        if (candidate.second != RegionTable::Short)
            return true;
    return false;
}

} // namespace

QString AddressRecogniser::companyInText() const {
    static const QRegularExpression labelled(
        QStringLiteral("(公司|单位|公司名称|单位名称)[:]\\s*([^\\s,:]{2,40})"));
    if (const QRegularExpressionMatch m = labelled.match(m_source); m.hasMatch())
        return m.captured(2);
    static const QRegularExpression alone(QStringLiteral(
        "(?:^|[\\r\\n, ])([^\\s,:\\r\\n]{2,30}?(公司|经营部|经销部|批发部|门市部|商行|商店|超市|"
        "专卖店|工作室|事务所|厂))(?=[\\r\\n, ]|$)"));
    if (const QRegularExpressionMatch m = alone.match(m_source); m.hasMatch())
        return m.captured(1);
    return {};
}

QString AddressRecogniser::contactInText(int regionStart, int streetStart) const {
    auto fits = [](QString& c) {
        c = withoutTitle(c);
        return !c.isEmpty() && !isNoName(c) && !isRegionName(c);
    };
    auto outsideRegion = [&](const QRegularExpressionMatch& m) {
        return m.capturedEnd(1) <= regionStart || m.capturedStart(1) >= streetStart;
    };
    // In chat the name comes after whose it is (写我爱人李秀, 名字写我老公王刚).
    static const QRegularExpression relative(
        QStringLiteral("(?:写|填|是|叫)[:]?(?:我的|我)?(?:爱人|老公|老婆|媳妇|妈妈|爸爸|妈|爸|儿子|女儿|朋友|"
                       "同事|家人|哥哥|姐姐|弟弟|妹妹|亲戚)(?:的名字)?(?:是|叫|写)?[:]?\\s*([%1]{2,4}?)收?"
                       "(?![%1])")
            .arg(kHan));
    for (auto it = relative.globalMatch(m_source); it.hasNext();) {
        QString c = it.next().captured(1);
        if (fits(c))
            return c;
    }
    static const QRegularExpression labelled(
        QStringLiteral("(收货人|收件人|联系人|姓名|名字|签收人|收件|买家)(?:信息)?[:\\]]?\\s*"
                       "(?:(?:财务部|采购部|办公室|前台)\\s*)?([%1·]{2,6})")
            .arg(kHan));
    for (auto it = labelled.globalMatch(m_source); it.hasNext();) {
        QString c = it.next().captured(2);
        if (c.endsWith(QStringLiteral("收")))
            c.chop(1);
        if (fits(c))
            return c;
    }
    static const QRegularExpression receives(QStringLiteral("(?<![%1])([%1]{2,4})收(?![货件])").arg(kHan));
    for (auto it = receives.globalMatch(m_source); it.hasNext();) {
        QString c = it.next().captured(1);
        if (fits(c))
            return c;
    }
    if (!handset.text.isEmpty() || !phone.text.isEmpty()) {
        const QString number = QRegularExpression::escape(handset.text.isEmpty() ? phone.text : handset.text);
        const QRegularExpression before(
            QStringLiteral("(?<![%1])([%1]{2,4}(?:%2)?)[\\s,]*(?:手机|电话)?[:]?").arg(kHan, kTitles) +
            number);
        const QRegularExpression after(
            number + QStringLiteral("[\\s,]*([%1]{2,4}(?:%2)?)(?![%1])").arg(kHan, kTitles));
        for (const QRegularExpression* re : {&before, &after}) {
            const QRegularExpressionMatch m = re->match(m_source);
            if (QString c = m.captured(1); m.hasMatch() && outsideRegion(m) && fits(c))
                return c;
        }
    }
    // An order line starts with the name (欧阳刚 山东省…).
    static const QRegularExpression first(QStringLiteral("^\\s*([%1]{2,4}(?:%2)?)[ ,]").arg(kHan, kTitles));
    if (const QRegularExpressionMatch m = first.match(m_source); m.hasMatch() && outsideRegion(m)) {
        if (QString c = m.captured(1); fits(c))
            return c;
    }
    static const QRegularExpression alone(
        QStringLiteral("(?:^|[\\r\\n])\\s*([%1]{2,4}(?:%2)?)\\s*(?=[\\r\\n]|$)").arg(kHan, kTitles));
    for (auto it = alone.globalMatch(m_source); it.hasNext();) {
        QString c = it.next().captured(1);
        if (fits(c))
            return c;
    }
    return {};
}

QString AddressRecogniser::streetFrom(int at) const {
    QString rest = m_source.mid(at);
    static const QRegularExpression lead(
        QStringLiteral("^[\\s,、/:\\-]*((详细|收货|街道)?\\s*地址[:]?)?[\\s,:]*"));
    rest.remove(lead);
    static const QRegularExpression fieldEnd(QStringLiteral("[\\r\\n,;；\\t]"));
    if (const qsizetype end = rest.indexOf(fieldEnd); end >= 0)
        rest.truncate(end);
    static const QRegularExpression label(
        QStringLiteral("(电话|手机|联系人|联系方式|收货人|收件人|姓名|邮编|邮政编码|备注|[Tt][Ee][Ll]|\\("
                       "邮编|\\([0-9]{6}\\))"));
    if (const qsizetype end = rest.indexOf(label); end >= 0)
        rest.truncate(end);
    for (const QString& number : {handset.text, phone.text}) {
        if (const qsizetype end = number.isEmpty() ? -1 : rest.indexOf(number); end >= 0)
            rest.truncate(end);
    }
    if (const qsizetype end = name.text.isEmpty() ? -1 : rest.indexOf(name.text); end > 0)
        rest.truncate(end);
    // A company written after the street stands apart from it (…55号 义乌小商品批发部).
    if (const qsizetype end = company.text.isEmpty() ? -1 : rest.indexOf(QLatin1Char(' ') + company.text);
        end > 0)
        rest.truncate(end);
    static const QRegularExpression department(
        QStringLiteral(" (财务部|采购部|办公室|前台|人事部|销售部|收发室)"));
    if (const qsizetype end = rest.indexOf(department); end > 0)
        rest.truncate(end);
    static const QRegularExpression closing(
        QStringLiteral("[\\s,]*(谢谢|谢谢你|麻烦了|收|(?i:thanks|thank you|thx|please|pls))?[\\s,!.]*$"));
    rest.remove(closing);
    if (!zipcode.text.isEmpty() && rest.endsWith(zipcode.text))
        rest = P::trim(rest.chopped(zipcode.text.size()));
    // A clerk types no blanks between Chinese words (文三路 90号).
    QString street;
    for (qsizetype i = 0; i < rest.size(); ++i) {
        const QChar c = rest.at(i);
        if (c.isSpace() &&
            ((i > 0 && isHanChar(rest.at(i - 1))) || (i + 1 < rest.size() && isHanChar(rest.at(i + 1)))))
            continue;
        street += c;
    }
    return P::trim(street);
}

bool AddressRecogniser::namesNothing() const {
    return handset.text.isEmpty() && phone.text.isEmpty();
}

namespace {

// A province as the province box holds it: 浙江省, 广西, 北京.
QString provinceAsWritten(const RegionTable& table, int province) {
    QString name = table.regions().at(province).name;
    if (table.isMunicipality(province))
        name.chop(1);
    return shortProvince(name);
}

} // namespace

void AddressRecogniser::regionFromTable() {
    const RegionTable& table = RegionTable::shipped();
    const QString simple = RegionTable::simplified(m_source);
    const RegionTable::Found found = table.find(simple);
    if (found.isEmpty()) {
        if (namesNothing()) {
            for (ResultBox* box :
                 {&company, &name, &phone, &province, &city, &town, &address, &zipcode, &handset})
                box->clear();
        }
        return;
    }
    const QList<RegionTable::Region>& regions = table.regions();
    const bool municipality = table.isMunicipality(found.province);
    province.text = found.province >= 0 ? provinceAsWritten(table, found.province) : QString();
    city.text = found.city >= 0 ? regions.at(found.city).name : QString();
    if (!found.candidates.isEmpty()) {
        // Which of the divisions of this name is meant is the clerk's choice: their provinces
        // and cities in the lists, none chosen.
        province.items.clear();
        city.items.clear();
        for (int c : found.candidates) {
            const QString p = provinceAsWritten(table, table.ancestorAt(c, RegionTable::Province));
            if (!province.items.contains(p))
                province.items << p;
            const int inCity = table.ancestorAt(c, RegionTable::City);
            if (inCity >= 0 && !city.items.contains(regions.at(inCity).name))
                city.items << regions.at(inCity).name;
        }
    }
    town.text = found.county >= 0 ? regions.at(found.county).name : QString();
    int streetAt = found.streetStart;
    if (found.county < 0 && found.city >= 0 && regions.at(found.city).level == RegionTable::City) {
        // A district the table does not list (a new one, or a city's own 南城区) after its city.
        static const QRegularExpression district(
            QStringLiteral("^\\s?([%1]{1,4}?(新区|区|县|旗))(?![%1]{0,1}[路街道巷弄])").arg(kHan));
        const QRegularExpressionMatch m = district.match(QStringView(simple).mid(streetAt));
        if (m.hasMatch() && !m_source.mid(streetAt).startsWith(QStringLiteral("小区"))) {
            town.text = m_source.mid(streetAt + m.capturedStart(1), m.capturedLength(1));
            streetAt += int(m.capturedEnd(1));
        }
    }
    if (zipcode.text.isEmpty()) {
        static const QRegularExpression postcode(
            QStringLiteral("(邮编|邮政编码)[:]?\\s*([0-9]{6})(?![0-9])"));
        if (const QRegularExpressionMatch m = postcode.match(m_source); m.hasMatch())
            zipcode.receive({m.captured(2)});
    }
    const QString named = companyInText();
    if (!named.isEmpty()) {
        company.items.removeAll(named);
        company.items.prepend(named);
        company.text = named;
    }
    const QString contact = contactInText(found.start, streetAt);
    if (!contact.isEmpty()) {
        name.items.removeAll(contact);
        name.items.prepend(contact);
        name.text = contact;
    } else if (isNoName(name.text) || isRegionName(name.text) || !isHanName(name.text)) {
        name.items.removeAll(name.text);
        name.text.clear();
    }
    QString street = streetFrom(streetAt);
    // A company of the steps' patterns that is a piece of the address line (…站前路) is none.
    // Nor is a chat line that merely ends in 公司 (还是寄到公司吧).
    static const QRegularExpression chatWords(QStringLiteral("(寄到|发到|送到|还是|麻烦|帮我|我们|我的)"));
    if (named.isEmpty() && company.text.contains(chatWords)) {
        company.items.removeAll(company.text);
        company.text.clear();
    }
    if (named.isEmpty() && !company.text.isEmpty() && m_source.indexOf(company.text) >= found.start &&
        m_source.indexOf(company.text) < streetAt + street.size()) {
        company.items.removeAll(company.text);
        company.text.clear();
    }
    if (street.isEmpty()) {
        const bool withRegion = containProvinceCity;
        containProvinceCity = false;
        applyAddressRule();
        street = address.text;
        containProvinceCity = withRegion;
    }
    address.text = containProvinceCity
                       ? (municipality ? QString() : province.text) + city.text + town.text + street
                       : street;
}

} // namespace recognition
