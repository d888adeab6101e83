#!/usr/bin/env python3
"""Writes data/regions.tsv, the national division table the address recogniser reads.

Source: the npm package china-area-data 5.0.1 (MIT licence, copyright (c) 2016 Airyland), whose
data.json holds the division codes of the national statistics bureau as of 2019-10-31. The package
is fetched with `npm pack` into a temporary folder unless its data.json is given:

    python3 scripts/make-regions.py [path/to/data.json] > data/regions.tsv

Rows: code, parent code, level (1 province, 2 prefecture or county-level city under a province,
3 county-level division or, for cities without counties, town; the districts of Hong Kong and Macao
are level 3 directly under their region), full name, other names
(short forms and former names, "|"-separated). Lines starting with "#" are comments.

Former names are kept by hand below (FORMER): the data set knows only the present names, while
clerks still paste addresses written with the old ones (怀柔县, now 怀柔区). Divisions made or
renamed after the data set's date are added by hand as well (NEWER).
"""
import json
import os
import re
import subprocess
import sys
import tempfile

PACKAGE = "china-area-data@5.0.1"

# Former names still found in addresses, mapped to the present name and the code of the division
# they now are. Kept by hand; add a line when a renamed division is met in pasted texts.
FORMER = [
    ("怀柔县", "110116"), ("密云县", "110118"), ("延庆县", "110119"), ("平谷县", "110117"),
    ("顺义县", "110113"), ("昌平县", "110114"), ("大兴县", "110115"), ("通县", "110112"),
    ("房山县", "110111"), ("崇文区", "110101"), ("宣武区", "110102"),
    ("蓟县", "120119"), ("静海县", "120118"), ("宁河县", "120117"), ("宝坻县", "120115"),
    ("武清县", "120114"),
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
    ("思茅市", "530800"), ("莱芜市", "370116"),
]

# Divisions made or renamed after the data set's date, added by hand: (code, parent, level, name,
# former name or "").
NEWER = [
    ("330113", "330100", 3, "临平区", ""), ("330114", "330100", 3, "钱塘区", ""),
    ("320614", "320600", 3, "海门区", "海门市"), ("652902", "652900", 3, "库车市", "库车县"),
]
RETIRED = {"652923", "320684"}  # 库车县 and 海门市, now under their new names

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


# The special administrative regions' districts come in traditional characters; clerks write them
# in simplified ones.
SIMPLIFIED = str.maketrans("區灣東龍黃觀門貢離島瑪風順聖濟", "区湾东龙黄观门贡离岛玛风顺圣济")


def load(path):
    if path:
        with open(path, encoding="utf-8") as f:
            return json.load(f)
    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run(["npm", "pack", PACKAGE], cwd=tmp, check=True, stdout=subprocess.DEVNULL)
        tarball = [n for n in os.listdir(tmp) if n.endswith(".tgz")][0]
        subprocess.run(["tar", "xzf", tarball], cwd=tmp, check=True)
        with open(os.path.join(tmp, "package", "data.json"), encoding="utf-8") as f:
            return json.load(f)


def main():
    data = load(sys.argv[1] if len(sys.argv) > 1 else None)
    rows = []  # (code, parent, level, name)
    for pcode, pname in data["86"].items():
        rows.append((pcode, "", 1, pname))
        if pcode in ("810000", "820000"):
            # Districts directly under the region: no city between them.
            for kcode, kname in data.get(pcode, {}).items():
                rows.append((kcode, pcode, 3, kname.translate(SIMPLIFIED)))
            continue
        for ccode, cname in data.get(pcode, {}).items():
            # A municipality's 市辖区 and 县 are one city named as the municipality.
            if cname in ("市辖区", "县"):
                city = pcode[:2] + "0100"
                if not any(r[0] == city for r in rows):
                    rows.append((city, pcode, 2, pname))
                parent = city
            elif cname.endswith("直辖县级行政区划"):
                # County-level cities and counties under a province stand in the city box.
                for kcode, kname in data.get(ccode, {}).items():
                    rows.append((kcode, pcode, 2, kname))
                continue
            else:
                rows.append((ccode, pcode, 2, cname))
                parent = ccode
            for kcode, kname in data.get(ccode, {}).items():
                if kname != "市辖区":
                    rows.append((kcode, parent, 3, kname))
    rows = [r for r in rows if r[0] not in RETIRED]
    rows += [(code, parent, level, name) for code, parent, level, name, _ in NEWER]
    former = {}
    for code, _, _, _, old in NEWER:
        if old:
            former.setdefault(code, []).append(old)
    for old, code in FORMER:
        former.setdefault(code, []).append(old)
    known = {r[0] for r in rows}
    missing = [c for c in former if c not in known]
    if missing:
        sys.exit("former names point at unknown codes: " + ", ".join(missing))

    out = sys.stdout
    out.write("# National division table for the address recogniser, generated by scripts/make-regions.py.\n")
    out.write("# Source: npm package china-area-data 5.0.1 (division codes of the national statistics\n")
    out.write("# bureau as of 2019-10-31), former names kept by hand in the script.\n")
    out.write("# Licence of the source data: MIT. Copyright (c) 2016 Airyland. Permission is hereby granted,\n")
    out.write("# free of charge, to any person obtaining a copy of this software and associated documentation\n")
    out.write("# files (the \"Software\"), to deal in the Software without restriction, including without\n")
    out.write("# limitation the rights to use, copy, modify, merge, publish, distribute, sublicense, and/or sell\n")
    out.write("# copies of the Software, and to permit persons to whom the Software is furnished to do so,\n")
    out.write("# subject to the following conditions: The above copyright notice and this permission notice\n")
    out.write("# shall be included in all copies or substantial portions of the Software. THE SOFTWARE IS\n")
    out.write("# PROVIDED \"AS IS\", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR IMPLIED.\n")
    out.write("# Columns: code, parent code, level (1 province, 2 city, 3 county or town), name,\n")
    out.write("# other names (short forms, then former names after \"!\"), \"|\"-separated.\n")
    for code, parent, level, name in rows:
        others = "|".join(short_forms(name, level))
        if code in former:
            others += "!" + "|".join(former[code])
        out.write(f"{code}\t{parent}\t{level}\t{name}\t{others}\n")


if __name__ == "__main__":
    main()
