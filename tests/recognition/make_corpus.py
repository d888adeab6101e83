#!/usr/bin/env python3
"""Writes corpus.tsv: pasted texts in the shapes clerks receive them, with a clerk's reading.

Run once; the file is kept as written (the recogniser is tuned against its first part only).
    python3 tests/recognition/make_corpus.py > tests/recognition/corpus.tsv

The people, numbers and streets are invented; the last texts (HAND) are written out whole by hand.
The regions are real divisions, picked by hand
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


# Written by hand after the generated texts, in shapes the generator does not make. Columns as in
# the file: text, company, contact, telephone, mobile, province, city, town, street, postcode.
HAND = [
    ("王小明 13812345678 广东省深圳市宝安区西乡街道宝源路1001号", "", "王小明", "", "13812345678",
     "广东省", "深圳市", "宝安区", "西乡街道宝源路1001号", ""),
    ("Name: 李雷\nTel: 13912345678\nAddress: 江苏省苏州市姑苏区干将东路178号", "", "李雷", "", "13912345678",
     "江苏省", "苏州市", "姑苏区", "干将东路178号", ""),
    ("王先生 13588123456 浙江省杭州市余杭区五常街道文一西路969号", "", "王先生", "", "13588123456",
     "浙江省", "杭州市", "余杭区", "五常街道文一西路969号", ""),
    ("收件人：周女士\n电话：18657112345\n地址：浙江省杭州市临平区南苑街道人民大道1号", "", "周女士", "",
     "18657112345", "浙江省", "杭州市", "临平区", "南苑街道人民大道1号", ""),
    ("江苏省南通市海门区解放中路88号 陆建 13962812345", "", "陆建", "", "13962812345", "江苏省", "南通市",
     "海门区", "解放中路88号", ""),
    ("河北省保定市容城县奥威路6号院 高峰 15131212345 邮编071700", "", "高峰", "", "15131212345", "河北省",
     "保定市", "容城县", "奥威路6号院", "071700"),
    ("收货信息：刘德明，13709871234，四川省 成都市 青羊区 宽窄巷子东广场12号", "", "刘德明", "", "13709871234",
     "四川省", "成都市", "青羊区", "宽窄巷子东广场12号", ""),
    ("【收货人】吴敏【电话】15001234567【地址】上海市浦东新区世纪大道100号环球金融中心45楼", "", "吴敏", "",
     "15001234567", "上海", "上海市", "浦东新区", "世纪大道100号环球金融中心45楼", ""),
    ("姓名：郑凯；电话：13800571234；地址：浙江省温州市乐清市柳市镇长虹路15号；邮编：325604", "", "郑凯", "",
     "13800571234", "浙江省", "温州市", "乐清市", "柳市镇长虹路15号", "325604"),
    ("江西省九江市庐山市白鹿镇秀峰村3组\n陈老伯收\n电话 0792-2661234", "", "陈老伯", "0792-2661234", "",
     "江西省", "九江市", "庐山市", "白鹿镇秀峰村3组", ""),
    ("寄件请发：山西省太原市小店区坞城路92号山西大学商务学院 霍东老师 139 0351 2345", "", "霍东老师", "",
     "13903512345", "山西省", "太原市", "小店区", "坞城路92号山西大学商务学院", ""),
    ("帮忙寄到 吉林省长春市朝阳区红旗街1166号 崔英 13944812345，谢谢老板", "", "崔英", "", "13944812345",
     "吉林省", "长春市", "朝阳区", "红旗街1166号", ""),
    ("收货人: 马丽\n手机号: 18709912345\n省份: 新疆维吾尔自治区\n城市: 乌鲁木齐市\n区县: 沙依巴克区\n"
     "详细地址: 西虹东路463号", "", "马丽", "", "18709912345", "新疆", "乌鲁木齐市", "沙依巴克区", "西虹东路463号", ""),
    ("北京市昌平区回龙观镇龙禧三街5号院2号楼1单元601 赵磊 010-81761234 13501234567", "", "赵磊",
     "010-81761234", "13501234567", "北京", "北京市", "昌平区", "回龙观镇龙禧三街5号院2号楼1单元601", ""),
    ("天津 和平区 南京路189号 津汇广场 孙悦 15822012345", "", "孙悦", "", "15822012345", "天津", "天津市",
     "和平区", "南京路189号津汇广场", ""),
    ("收件人：欧阳娜娜 电话：13607551234 地址：广东省深圳市福田区福华三路88号", "", "欧阳娜娜", "",
     "13607551234", "广东省", "深圳市", "福田区", "福华三路88号", ""),
    ("黑龙江省哈尔滨市道里区中央大街108号，于洋，0451-84651234转302", "", "于洋", "0451-84651234-302", "",
     "黑龙江省", "哈尔滨市", "道里区", "中央大街108号", ""),
    ("海南省三亚市吉阳区迎宾路500号 符海 13907512345", "", "符海", "", "13907512345", "海南省", "三亚市",
     "吉阳区", "迎宾路500号", ""),
    ("湖北省潜江市园林街道章华北路18号 熊伟 13597912345", "", "熊伟", "", "13597912345", "湖北省", "潜江市", "",
     "园林街道章华北路18号", ""),
    ("广东省东莞市长安镇振安中路368号 叶青 13600001234", "", "叶青", "", "13600001234", "广东省", "东莞市",
     "长安镇", "振安中路368号", ""),
    ("订单编号 20240618123456789012\n买家：林小雨\n联系方式：18250012345\n收货地址：福建省厦门市集美区杏林湾路1号",
     "", "林小雨", "", "18250012345", "福建省", "厦门市", "集美区", "杏林湾路1号", ""),
    ("云南省大理白族自治州大理市下关镇人民南路21号（671000）常青 18798712345", "", "常青", "", "18798712345",
     "云南省", "大理白族自治州", "大理市", "下关镇人民南路21号", "671000"),
    ("内蒙古 呼和浩特 赛罕区 大学西街235号 苏日娜 13904712345", "", "苏日娜", "", "13904712345", "内蒙古",
     "呼和浩特市", "赛罕区", "大学西街235号", ""),
    ("西藏拉萨市城关区北京中路48号 罗布 13989012345", "", "罗布", "", "13989012345", "西藏", "拉萨市", "城关区",
     "北京中路48号", ""),
    ("甘肃省兰州市城关区庆阳路77号 许文 0931-8461234", "", "许文", "0931-8461234", "", "甘肃省", "兰州市",
     "城关区", "庆阳路77号", ""),
    ("公司名称：青岛海瑞物流有限公司\n收件人：段宁\n电话：0532 85671234\n地址：山东省青岛市黄岛区长江中路216号",
     "青岛海瑞物流有限公司", "段宁", "0532-85671234", "", "山东省", "青岛市", "黄岛区", "长江中路216号", ""),
    ("江苏省无锡市江阴市澄江街道人民中路9号 江阴百货商店 钱进 13915312345", "江阴百货商店", "钱进", "",
     "13915312345", "江苏省", "无锡市", "江阴市", "澄江街道人民中路9号", ""),
    ("湖南省长沙市岳麓区麓山南路932号 中南大学 邓超群 13707312345", "中南大学", "邓超群", "", "13707312345",
     "湖南省", "长沙市", "岳麓区", "麓山南路932号", ""),
    ("陕西 西安 雁塔区 长安南路563号 秦川 139-0911-2345", "", "秦川", "", "13909112345", "陕西省", "西安市",
     "雁塔区", "长安南路563号", ""),
    ("地址：貴州省貴陽市雲岩區中華北路77號\n姓名：毛毅\n手機：13985012345", "", "毛毅", "", "13985012345",
     "贵州省", "贵阳市", "云岩区", "中華北路77號", ""),
    ("安徽省合肥市巢湖市卧牛山路1号 汪敏 13905512345", "", "汪敏", "", "13905512345", "安徽省", "合肥市",
     "巢湖市", "卧牛山路1号", ""),
    ("重庆市渝北区龙溪街道金紫山路18号 何军 13983456789 备注：周末送货", "", "何军", "", "13983456789", "重庆",
     "重庆市", "渝北区", "龙溪街道金紫山路18号", ""),
    ("亲 地址发你了：河南省郑州市金水区花园路39号 郭静 13838012345 麻烦快点发货哦", "", "郭静", "",
     "13838012345", "河南省", "郑州市", "金水区", "花园路39号", ""),
    ("收货人：白玉兰 手机：15947712345 地址：内蒙古自治区鄂尔多斯市伊金霍洛旗阿勒腾席热镇文明路3号", "",
     "白玉兰", "", "15947712345", "内蒙古", "鄂尔多斯市", "伊金霍洛旗", "阿勒腾席热镇文明路3号", ""),
    ("广西桂林市阳朔县西街88号 黄海涛 13977312345", "", "黄海涛", "", "13977312345", "广西", "桂林市", "阳朔县",
     "西街88号", ""),
    ("宁夏银川市兴庆区解放西街66号\n杨慧\n13895012345", "", "杨慧", "", "13895012345", "宁夏", "银川市", "兴庆区",
     "解放西街66号", ""),
    ("辽宁省沈阳市和平区南京北街206号 姜涛 024-23451234", "", "姜涛", "024-23451234", "", "辽宁省", "沈阳市",
     "和平区", "南京北街206号", ""),
    ("福建省泉州市晋江市陈埭镇江头路7号 宋佳 0595 85671234 13905001234", "", "宋佳", "0595-85671234",
     "13905001234", "福建省", "泉州市", "晋江市", "陈埭镇江头路7号", ""),
    ("请寄：青海省海西蒙古族藏族自治州格尔木市昆仑中路20号 贺兰 13909712345", "", "贺兰", "", "13909712345",
     "青海省", "海西蒙古族藏族自治州", "格尔木市", "昆仑中路20号", ""),
    ("湖北省恩施州恩施市舞阳大道168号 向东 13872812345", "", "向东", "", "13872812345", "湖北省",
     "恩施土家族苗族自治州", "恩施市", "舞阳大道168号", ""),
    ("收件人 黄丽\n联系电话 13922012345\n收件地址 广东省广州市番禺区市桥街道繁华路8号", "", "黄丽", "", "13922012345",
     "广东省", "广州市", "番禺区", "市桥街道繁华路8号", ""),
    ("浙江省宁波市慈溪市浒山街道北二环东路1号慈溪大厦8楼 财务部 朱琳 0574-63121234", "", "朱琳",
     "0574-63121234", "", "浙江省", "宁波市", "慈溪市", "浒山街道北二环东路1号慈溪大厦8楼", ""),
    ("山东省济南市历城区山大南路27号 刘建国 0531-88361234-6012", "", "刘建国", "0531-88361234-6012", "",
     "山东省", "济南市", "历城区", "山大南路27号", ""),
    ("吉林省吉林市船营区北京路3号 崔明 0432-62451234", "", "崔明", "0432-62451234", "", "吉林省", "吉林市",
     "船营区", "北京路3号", ""),
    ("江苏省南京市江宁区秣陵街道胜太路77号 沈雪 13806181234 210000", "", "沈雪", "", "13806181234",
     "江苏省", "南京市", "江宁区", "秣陵街道胜太路77号", "210000"),
    ("河南省开封市鼓楼区中山路北段99号 范丽娟 13937812345", "", "范丽娟", "", "13937812345", "河南省", "开封市",
     "鼓楼区", "中山路北段99号", ""),
    ("收货人：尹东\n手机：+86 13512345678\n地址：天津市滨海新区塘沽解放路668号", "", "尹东", "", "13512345678",
     "天津", "天津市", "滨海新区", "塘沽解放路668号", ""),
    ("四川省乐山市市中区嘉定北路100号 彭亮 0833-2131234", "", "彭亮", "0833-2131234", "", "四川省", "乐山市",
     "市中区", "嘉定北路100号", ""),
    ("湖南省湘西土家族苗族自治州吉首市人民北路28号 龙飞 13974312345", "", "龙飞", "", "13974312345", "湖南省",
     "湘西土家族苗族自治州", "吉首市", "人民北路28号", ""),
    ("黑龙江省大兴安岭地区漠河市中央街5号 于洋 13945712345", "", "于洋", "", "13945712345", "黑龙江省",
     "大兴安岭地区", "漠河市", "中央街5号", ""),
    ("浙江省金华市义乌市稠城街道工人北路55号 义乌小商品批发部 田野 13575712345", "义乌小商品批发部", "田野", "",
     "13575712345", "浙江省", "金华市", "义乌市", "稠城街道工人北路55号", ""),
    ("广东省珠海市香洲区情侣中路47号，邱明，13925612345，519000", "", "邱明", "", "13925612345", "广东省",
     "珠海市", "香洲区", "情侣中路47号", "519000"),
    ("陈晓东\n13800138000\n上海市 闵行区\n七莘路3588号", "", "陈晓东", "", "13800138000", "上海", "上海市",
     "闵行区", "七莘路3588号", ""),
    ("地址:江苏省苏州市苏州工业园区星湖街328号\n联系人:蒋琳\n手机:13816612345", "", "蒋琳", "", "13816612345",
     "江苏省", "苏州市", "苏州工业园区", "星湖街328号", ""),
    ("山西省大同市平城区御河西路12号 霍东 1390 352 2345", "", "霍东", "", "13903522345", "山西省", "大同市",
     "平城区", "御河西路12号", ""),
    ("收件人：付强 收件电话：18612341234 收件地址：北京市朝阳区望京街道阜通东大街6号", "", "付强", "",
     "18612341234", "北京", "北京市", "朝阳区", "望京街道阜通东大街6号", ""),
    ("河北省石家庄市长安区中山东路39号\n联系人：陆平（经理）\n13933812345", "", "陆平", "", "13933812345",
     "河北省", "石家庄市", "长安区", "中山东路39号", ""),
    ("麻烦寄到江西省赣州市于都县象湖镇红都大道9号，钟小兰收，手机号13879712345", "", "钟小兰", "",
     "13879712345", "江西省", "赣州市", "于都县", "象湖镇红都大道9号", ""),
    ("新疆伊犁州伊宁市解放路88号 阿依古丽 13899812345", "", "阿依古丽", "", "13899812345", "新疆",
     "伊犁哈萨克自治州", "伊宁市", "解放路88号", ""),
    ("广东省佛山市南海区桂城街道南海大道北68号 佛山市南海区美佳服饰商行 梁伟 18922334455",
     "佛山市南海区美佳服饰商行", "梁伟", "", "18922334455", "广东省", "佛山市", "南海区", "桂城街道南海大道北68号", ""),
    ("贵州省黔南州都匀市剑江中路1号 石磊 13595112345", "", "石磊", "", "13595112345", "贵州省",
     "黔南布依族苗族自治州", "都匀市", "剑江中路1号", ""),
    ("云南省昆明市五华区东风西路123号 唐明 0871 63121234", "", "唐明", "0871-63121234", "", "云南省", "昆明市",
     "五华区", "东风西路123号", ""),
]

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
    texts += [row(*h) for h in HAND]
    print("\n".join(out + texts))


if __name__ == "__main__":
    main()
