#!/usr/bin/env python3
"""Writes corpus.tsv: pasted texts in the shapes clerks receive them, with a clerk's reading.

Run once; the file is kept as written (the recogniser is tuned against its first part only).
    python3 tests/recognition/make_corpus.py > tests/recognition/corpus.tsv

The people, numbers and streets are invented; the regions are real divisions, picked by hand
(the hard ones) and at random from data/regions.tsv. A region is read the way the table writes
it: province in full (浙江省) except the autonomous regions (广西) and the municipalities (北京),
city in full, county in full; a county-level city under its province stands in the city box.
"""
import random
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
rng = random.Random(20261210)

# --- the table, for the regions drawn at random ------------------------------------------------
rows = {}
for line in (ROOT / "data" / "regions.tsv").read_text(encoding="utf-8").splitlines():
    if line.startswith("#"):
        continue
    code, parent, level, name, _ = line.split("\t")
    rows[code] = (parent, int(level), name)

SHORT_PROVINCE = {"广西壮族自治区": "广西", "内蒙古自治区": "内蒙古", "新疆维吾尔自治区": "新疆",
                  "宁夏回族自治区": "宁夏", "西藏自治区": "西藏"}


def province_box(name):
    if name.endswith("市"):
        return name[:-1]
    return SHORT_PROVINCE.get(name, name)


def region_of(code):
    """(province written, city, county, province box) of a table code."""
    chain = []
    while code:
        parent, level, name = rows[code]
        chain.append((level, name))
        code = parent
    d = {level: name for level, name in chain}
    return d.get(1, ""), d.get(2, ""), d.get(3, "")


counties = [c for c, (p, l, n) in rows.items() if l == 3 and not n.endswith(("街道", "镇")) and len(c) == 6
            and not c.startswith(("71", "81", "82"))]

# Hand-picked regions that trip readers: same county names in many cities, 市中区, autonomous
# prefectures, leagues, prefectures, county-level cities under a province, municipality counties.
HARD = [
    ("北京市", "北京市", "朝阳区"), ("吉林省", "长春市", "朝阳区"), ("辽宁省", "朝阳市", "双塔区"),
    ("江苏省", "南京市", "鼓楼区"), ("福建省", "福州市", "鼓楼区"), ("河南省", "开封市", "鼓楼区"),
    ("山东省", "济南市", "市中区"), ("四川省", "乐山市", "市中区"), ("山东省", "枣庄市", "市中区"),
    ("四川省", "甘孜藏族自治州", "康定市"), ("四川省", "阿坝藏族羌族自治州", "马尔康市"),
    ("云南省", "西双版纳傣族自治州", "景洪市"), ("吉林省", "延边朝鲜族自治州", "延吉市"),
    ("湖北省", "恩施土家族苗族自治州", "恩施市"), ("湖南省", "湘西土家族苗族自治州", "吉首市"),
    ("内蒙古自治区", "锡林郭勒盟", "锡林浩特市"), ("内蒙古自治区", "阿拉善盟", "阿拉善左旗"),
    ("新疆维吾尔自治区", "阿克苏地区", "阿克苏市"), ("新疆维吾尔自治区", "喀什地区", "喀什市"),
    ("西藏自治区", "日喀则市", "桑珠孜区"), ("湖北省", "仙桃市", ""), ("河南省", "济源市", ""),
    ("海南省", "琼海市", ""), ("重庆市", "重庆市", "奉节县"), ("重庆市", "重庆市", "石柱土家族自治县"),
    ("重庆市", "重庆市", "万州区"), ("北京市", "北京市", "怀柔区"), ("上海市", "上海市", "浦东新区"),
    ("天津市", "天津市", "滨海新区"), ("河北省", "保定市", "竞秀区"), ("浙江省", "宁波市", "宁海县"),
    ("浙江省", "宁波市", "海曙区"), ("辽宁省", "大连市", "甘井子区"), ("广东省", "佛山市", "顺德区"),
    ("广东省", "东莞市", "虎门镇"), ("广东省", "中山市", "小榄镇"), ("吉林省", "吉林市", "船营区"),
    ("广西壮族自治区", "桂林市", "阳朔县"), ("宁夏回族自治区", "吴忠市", "青铜峡市"),
    ("云南省", "昆明市", "五华区"), ("贵州省", "黔南布依族苗族自治州", "都匀市"),
    ("甘肃省", "临夏回族自治州", "临夏市"), ("青海省", "海西蒙古族藏族自治州", "格尔木市"),
    ("黑龙江省", "大兴安岭地区", "漠河市"), ("安徽省", "合肥市", "巢湖市"), ("江西省", "南昌市", "西湖区"),
    ("浙江省", "杭州市", "西湖区"), ("山西省", "大同市", "平城区"), ("陕西省", "西安市", "鄠邑区"),
    ("四川省", "成都市", "郫都区"), ("江苏省", "苏州市", "吴江区"), ("广东省", "广州市", "番禺区"),
]
FORMER = {("北京市", "北京市", "怀柔区"): "怀柔县", ("四川省", "成都市", "郫都区"): "郫县",
          ("陕西省", "西安市", "鄠邑区"): "户县", ("江苏省", "苏州市", "吴江区"): "吴江市",
          ("广东省", "广州市", "番禺区"): "番禺市"}


def pick_region(hard_share=0.45):
    if rng.random() < hard_share:
        return rng.choice(HARD)
    return region_of(rng.choice(counties))


# --- people, numbers, streets -------------------------------------------------------------------
SURNAMES = list("王李张刘陈杨黄赵周吴徐孙朱马胡郭林何高梁郑罗宋谢唐韩曹许邓冯曾程蔡彭潘袁董余苏叶吕魏蒋田杜丁沈姜范"
                "傅钟卢汪戴崔任陆廖姚方金邱夏谭贾邹石熊孟秦薛侯雷白龙段郝孔邵史毛常万顾赖武康贺严尹钱施牛洪龚")
GIVEN = list("伟芳娜敏静丽强磊军洋勇艳杰娟涛明超秀霞平刚桂英华玉兰萍红建文辉宇鹏飞俊鑫晨欣怡婷雪琳瑶浩然子轩梓涵"
             "一诺思远博文嘉怡雨桐佳琪志强国庆海燕晓东春梅冬梅立新")
COMPOUND = ["欧阳", "司马", "上官", "诸葛", "东方", "慕容"]
ETHNIC_NAMES = ["阿依古丽", "买买提", "扎西顿珠", "格桑梅朵", "巴特尔", "其其格"]


def person():
    r = rng.random()
    if r < 0.05:
        return rng.choice(ETHNIC_NAMES)
    if r < 0.1:
        return rng.choice(COMPOUND) + rng.choice(GIVEN)
    return rng.choice(SURNAMES) + "".join(rng.choice(GIVEN) for _ in range(rng.choice((1, 2, 2))))


def mobile():
    return rng.choice(["13", "15", "18", "17", "19"]) + str(rng.randint(0, 9)) + "".join(
        str(rng.randint(0, 9)) for _ in range(8))


def landline():
    area = rng.choice(["010", "021", "022", "023", "020", "0571", "0755", "0531", "0871", "028", "027", "0311",
                       "0898", "0991", "0471", "0851"])
    digits = 8 if len(area) == 3 or rng.random() < 0.7 else 7
    return area, str(rng.randint(2, 8)) + "".join(str(rng.randint(0, 9)) for _ in range(digits - 1))


def postcode():
    return str(rng.randint(10, 85)).zfill(2) + "".join(str(rng.randint(0, 9)) for _ in range(4))


ROADS = ["人民路", "解放路", "建设大道", "文化路", "新华街", "东风路", "和平路", "胜利街", "迎宾大道", "滨江路",
         "朝阳北大街", "光明路", "青年路", "幸福街", "工农路", "团结路", "花园路", "学府路", "长江路", "黄河路",
         "育才路", "民主路", "友谊大街", "沿河西路", "北环路", "站前路", "科技二路", "高新四路", "金桥路", "红旗街",
         "南京路", "北京东路", "中山北路", "宁海路", "延安西路", "上海路", "杭州大道", "西湖路"]
BUILDINGS = ["{n}号", "{n}号{b}栋{u}单元{r}室", "{n}号{x}小区{b}幢{r}", "{n}号{x}大厦{f}楼", "{n}号院{b}号楼{r}",
             "{x}花园{b}栋{r}室", "{n}号{x}商城{f}楼{s}铺", "{n}号{x}工业园{b}号厂房", "{n}弄{b}号{r}室",
             "{n}号{x}公寓{b}-{r}"]
XS = ["金色家园", "阳光", "锦绣", "翠苑", "华府", "世纪", "书香", "万象", "天誉", "碧桂", "丽景", "恒基", "新城",
      "龙湖", "香樟", "明珠"]
PREFIXES = ["", "", "", "", "{t}街道", "{t}镇", "{t}乡{v}村"]
TOWNS = ["城关", "东城", "新华", "南湖", "北关", "桥头", "沙河", "龙泉", "白沙", "青山", "石桥", "杨柳"]
VILLAGES = ["李家", "王庄", "河西", "新民", "东湖", "前进"]


def street():
    road = rng.choice(ROADS)
    b = rng.choice(BUILDINGS).format(n=rng.randint(1, 999), b=rng.randint(1, 30), u=rng.randint(1, 6),
                                     r=rng.randint(101, 2808), x=rng.choice(XS), f=rng.randint(2, 33),
                                     s=rng.choice("ABCD") + str(rng.randint(1, 99)))
    pre = rng.choice(PREFIXES).format(t=rng.choice(TOWNS), v=rng.choice(VILLAGES))
    if "村" in pre and rng.random() < 0.5:
        return pre + str(rng.randint(1, 12)) + "组" + str(rng.randint(1, 99)) + "号"
    return pre + road + b


COMPANY_WORDS = ["电器有限公司", "贸易有限公司", "五金经营部", "科技有限公司", "服饰商行", "印务有限公司",
                 "机械厂", "建材经销部"]
COMPANY_STEMS = ["美华", "鑫源", "恒达", "永盛", "华彩", "瑞丰", "金鼎", "宏图", "隆昌", "新锐"]


def company(city):
    stem = rng.choice(COMPANY_STEMS) + rng.choice(COMPANY_WORDS)
    return (city + stem) if city and rng.random() < 0.6 else stem


# --- how the region is written -------------------------------------------------------------------
def short(name):
    for suffix in ("省", "市"):
        if name.endswith(suffix) and len(name) > 2:
            return name[:-1]
    return SHORT_PROVINCE.get(name, name)


def written(region, style):
    p, c, t = region
    t_written = FORMER.get(region, t) if style == "former" else t
    muni = p.endswith("市") and p == c
    direct = not t  # county-level city under a province
    if style == "noprovince" and not muni:
        return c + t_written
    if style == "list":
        return "，".join(x for x in ((p if not muni else ""), c, t_written) if x)
    if style == "spaced":
        return " ".join(x for x in ((short(p) if muni else p), c, t_written) if x)
    if style == "short" and not muni and not direct:
        return short(p) + short(c) + t_written
    if muni:
        return c + t_written
    return p + c + t_written


def truth(region):
    p, c, t = region
    return province_box(p), c, t


def fmt_mobile(m):
    r = rng.random()
    if r < 0.1:
        return m[:3] + "-" + m[3:7] + "-" + m[7:], m
    if r < 0.2:
        return m[:3] + " " + m[3:7] + " " + m[7:], m
    if r < 0.25:
        return "+86 " + m, m
    return m, m


def fmt_phone():
    area, num = landline()
    r = rng.random()
    if r < 0.15:
        return area + " " + num, area + "-" + num
    if r < 0.25:
        ext = str(rng.randint(100, 8999))
        return area + "-" + num + "转" + ext, area + "-" + num + "-" + ext
    if r < 0.35:
        ext = str(rng.randint(10, 999))
        return area + "-" + num + "-" + ext, area + "-" + num + "-" + ext
    return area + "-" + num, area + "-" + num


# --- shapes ------------------------------------------------------------------------------------
def record(style=None):
    region = pick_region()
    style = style or rng.choice(["full", "full", "full", "spaced", "short", "noprovince", "list"])
    if region in FORMER and rng.random() < 0.7:
        style = "former"
    return dict(region=region, where=written(region, style), street=street(), name=person(),
                mobile=fmt_mobile(mobile()) if rng.random() < 0.9 else ("", ""),
                phone=fmt_phone() if rng.random() < 0.3 else ("", ""),
                zip=postcode() if rng.random() < 0.5 else "", company="")


def labelled(r):
    lines = [rng.choice(["姓名：", "收货人：", "联系人：", "收件人："]) + r["name"]]
    if r["phone"][0]:
        lines.append(rng.choice(["电话：", "固话：", "座机："]) + r["phone"][0])
    if r["mobile"][0]:
        lines.append(rng.choice(["手机：", "手机号码：", "联系电话："]) + r["mobile"][0])
    lines.append(rng.choice(["地址：", "收货地址：", "详细地址："]) + r["where"] + r["street"])
    if r["zip"]:
        lines.append(rng.choice(["邮编：", "邮政编码："]) + r["zip"])
    return "\n".join(lines)


def shop_old(r):
    where = written(r["region"], "spaced")
    z = "（" + r["zip"] + "）" if r["zip"] else ""
    return "收货地址：" + "，".join([r["name"], r["phone"][0], r["mobile"][0], where + " " + r["street"] + z])


def shop_new(r):
    p, c, t = r["region"]
    lines = ["收货人：" + r["name"], "手机号码：" + (r["mobile"][0] or r["phone"][0]),
             "所在地区：" + " ".join(x for x in (p, c, t) if x), "详细地址：" + r["street"]]
    if r["mobile"][0]:
        r["phone"] = ("", "")
    return "\n".join(lines)


def one_line(r):
    parts = [r["name"], r["mobile"][0] or r["phone"][0], r["where"] + r["street"]]
    if not r["mobile"][0]:
        r["mobile"] = ("", "")
    else:
        r["phone"] = ("", "")
    if rng.random() < 0.5:
        parts = [parts[0], parts[2], parts[1]]
    sep = rng.choice([" ", "，", ",", "  "])
    return sep.join(x for x in parts if x)


def export_row(r):
    order = "".join(str(rng.randint(0, 9)) for _ in range(rng.choice((16, 18, 19))))
    r["phone"] = ("", "")
    return "订单号：" + order + "\n" + r["name"] + "，" + r["mobile"][0] + "，" + r["where"] + r["street"] + (
        "，" + r["zip"] if r["zip"] else "")


def chat(r):
    body = r["where"] + r["street"]
    r["zip"] = ""
    r["phone"] = ("", "")
    m = r["mobile"][0]
    forms = [
        "你好，帮我发到{a}，{n}收，电话{m}",
        "地址是{a}，{n}，{m}",
        "寄到{a} {n} {m} 谢谢",
        "亲，寄到这里：{a} {n} {m}",
        "麻烦发顺丰：{a}\n{n} {m}",
        "老板，帮我寄到{a}，收件人{n}，手机{m}",
        "{a} {n}收 手机{m}",
        "我的地址：{a}\n名字：{n}\n电话{m}",
    ]
    text = rng.choice(forms).format(a=body, n=r["name"], m=m)
    if not m:
        text = text.replace("电话", "").replace("手机", "")
    return text


def company_above(r):
    p, c, t = r["region"]
    r["company"] = company(c)
    lines = [r["company"], r["where"] + r["street"], r["name"] + " " + (r["mobile"][0] or r["phone"][0])]
    if not r["mobile"][0]:
        r["mobile"] = ("", "")
    else:
        r["phone"] = ("", "")
    return "\n".join(lines)


def company_form(r):
    p, c, t = r["region"]
    r["company"] = company(c)
    lines = [rng.choice(["公司：", "单位："]) + r["company"], "联系人：" + r["name"]]
    if r["phone"][0]:
        lines.append("电话：" + r["phone"][0])
    if r["mobile"][0]:
        lines.append("手机：" + r["mobile"][0])
    lines.append("地址：" + r["where"] + r["street"])
    if r["zip"]:
        lines.append("邮编：" + r["zip"])
    return "\n".join(lines)


def form_with_region_lines(r):
    p, c, t = r["region"]
    if not t:
        return labelled(r)
    lines = ["姓名：" + r["name"], "手机：" + (r["mobile"][0] or mobile()), "省：" + p, "市：" + c,
             "地址：" + t + r["street"]]
    if not r["mobile"][0]:
        r["mobile"] = (lines[1][3:], lines[1][3:])
    r["phone"] = ("", "")
    return "\n".join(lines)


def name_in_street(r):
    r["phone"] = ("", "")
    r["zip"] = ""
    m = r["mobile"][0] or mobile()
    r["mobile"] = (m, m.replace("-", "").replace(" ", "").replace("+86", ""))
    return r["where"] + r["street"] + " " + r["name"] + "收 手机" + m


def odd_breaks(r):
    p, c, t = r["region"]
    r["phone"] = ("", "")
    head = written(r["region"], "spaced")
    if rng.random() < 0.5:
        head = head.replace(" ", "\n", 1)
    return r["name"] + "\n" + (r["mobile"][0] or "") + "\n" + head + "\n" + r["street"] + "\n"


SHAPES = [labelled, labelled, shop_old, shop_new, one_line, one_line, export_row, chat, chat, chat, company_above,
          company_form, form_with_region_lines, name_in_street, odd_breaks]

TRAD = str.maketrans("东广区号县门阳云贵苏辽宁龙厦台湾汉内齐尔华兴郑义无锡济庆陕宝岛长乐凤凰汤刘陈张杨黄赵吴孙许邓冯"
                     "叶苏吕魏钟卢汪邱谭贾邹薛侯龙顾赖贺钱龚杰伟丽强军艳娟涛红辉鹏飞俊鑫欣婷琳浩轩梓涵诺远博嘉桐"
                     "庄楼栋单元园镇乡村组铺厂场路街达盛图昌锐彩电器贸易经营营部机械建材经销",
                     "東廣區號縣門陽雲貴蘇遼寧龍廈臺灣漢內齊爾華興鄭義無錫濟慶陝寶島長樂鳳凰湯劉陳張楊黃趙吳孫許鄧馮"
                     "葉蘇呂魏鍾盧汪邱譚賈鄒薛侯龍顧賴賀錢龔傑偉麗強軍艷娟濤紅輝鵬飛俊鑫欣婷琳浩軒梓涵諾遠博嘉桐"
                     "莊樓棟單元園鎮鄉村組鋪廠場路街達盛圖昌銳彩電器貿易經營營部機械建材經銷")

HOSTILE = [
    "今天天气不错，我们明天见面吧，好不好呀哈哈哈",
    "<script>alert('x')</script><img src=x onerror=alert(1)>",
    "'; DROP TABLE Person; -- 1=1 OR 'a'='a' 注入测试",
    "%s%s%s%n%n%n {{7*7}} ${jndi:ldap://x} ../../../../etc/passwd",
    "1234567890123456789012345678901234567890",
    "ＡＢＣＤＥＦＧＨＩＪＫＬＭＮ　ｏｐｑｒｓｔ　１２３",
    "？？？？？？？？？？？？？？？？",
    "\u202e\u200b\u200b零宽字符和反向文字测试测试测试",
    "订单号：2024061812345678901 快递单号：SF1234567890123 已发货",
    "短",
    "哈" * 1100,
]


def row(text, company_, name, phone, mob, prov, city, town, street_, zip_):
    def esc(s):
        return s.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n").replace("\r", "\\r")
    return "\t".join(esc(x) for x in (text, company_, name, phone, mob, prov, city, town, street_, zip_))


def main():
    out = ["# Pasted texts with a clerk's reading, written by tests/recognition/make_corpus.py.",
           "# Held out: every text whose number (counting the rows below from 0) is divisible by 3; the",
           "# recogniser was tuned on the others only.",
           "# Columns: text, company, contact, telephone, mobile, province, city, town, street, postcode;",
           "# \\n \\r \\t \\\\ are escapes. An empty reading of every field means the text must give nothing."]
    texts = []
    n = 0
    while len(texts) < 330:
        shape = SHAPES[n % len(SHAPES)]
        n += 1
        r = record()
        text = shape(r)
        if shape not in (labelled, shop_old, export_row, company_form):
            r["zip"] = ""
        prov, city, town = truth(r["region"])
        street_ = r["street"]
        name = r["name"]
        if rng.random() < 0.06 and shape in (labelled, one_line, chat):
            text = text.translate(TRAD)
            street_ = street_.translate(TRAD)
            name = name.translate(TRAD)
            r["company"] = r["company"].translate(TRAD)
        if rng.random() < 0.05 and shape in (labelled, company_form):
            text = text.replace("：", ":").replace("，", ",")
        texts.append(row(text, r["company"], name, r["phone"][1], r["mobile"][1], prov, city, town, street_,
                         r["zip"]))
        if len(texts) % 30 == 29:
            texts.append(row(HOSTILE[(len(texts) // 30) % len(HOSTILE)], "", "", "", "", "", "", "", "", ""))
    print("\n".join(out + texts))


if __name__ == "__main__":
    main()
