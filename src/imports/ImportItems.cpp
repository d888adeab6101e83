#include "imports/ImportItems.h"

namespace imports {

namespace {

ImportItem item(const char* rule, const char* chooser, const char* caption, const char* column,
                ImportItem::Scope scope = ImportItem::Scope::Both) {
    return {QString::fromUtf8(rule), QString::fromUtf8(chooser), QString::fromUtf8(caption),
            QString::fromUtf8(column), scope};
}

} // namespace

const QVector<ImportItem>& ImportItems::recipients() {
    using S = ImportItem::Scope;
    static const QVector<ImportItem> items = {
        item("单位全称", "cbName", "*单位全称->", "全称"),
        item("联系人", "cbContactor", "*联系人->", "联系人"),
        item("电话", "cbPhone", "*联系电话->", "电话"),
        item("手机", "cbHandset", "手机->", "手机"),
        item("省", "cbProvince", "省->", "省"),
        item("市", "cbCity", "市/县->", "市"),
        item("镇区", "cbTown", "镇/区->", "镇区"),
        item("地址", "cbAddress", "*详细地址->", "地址"),
        item("邮编", "cbZipCode", "邮政编码->", "邮编"),
        item("国家", "cbCountry", "国家->", "国家"),
        // The address book keeps the remark in 扩展信息, the batch list in 备注.
        item("备注", "cbRemark", "备注->", "扩展信息"),
        item("批打分组", "cbGroup", "地址薄分组->", "分组", S::AddressBook),
        item("单位类型", "cbACCType", "单位类型->", "单位类型", S::AddressBook),
        item("助记码", "cbInputCode", "输入助记码->", "助记码", S::AddressBook),
        item("批打分组", "cbListName", "批打分组->", "批打分组", S::BatchList),
        item("物品内容", "cbWPNR", "物品内容->", "内件说明", S::BatchList),
        item("目的站", "cbDestSite", "目的站->", "目的站", S::BatchList),
        item("件数", "cbAmount", "件数->", "件数", S::BatchList),
        item("重量", "cbWeight", "重量->", "重量", S::BatchList),
        item("费用", "cbMoney", "总费用->", "费用", S::BatchList),
        item("保价费", "cbBaoJiaFee", "保价费->", "保价费", S::BatchList),
        item("保价金额", "cbBaoJiaJE", "保价金额->", "保价金额", S::BatchList),
        item("加急费", "cbJiaJiFee", "加急费->", "加急费", S::BatchList),
        item("运费", "cbYunFee", "运费->", "运费", S::BatchList),
        item("送货费", "cbSongHFee", "送货费->", "送货费", S::BatchList),
        item("体积", "cbTiJi", "体积->", "体积", S::BatchList),
        item("包装费", "cbBaoZFee", "包装费->", "包装费", S::BatchList),
        item("代收金额", "cbDaisJE", "代收金额->", "代收金额", S::BatchList),
        item("手续费", "cbShouxFee", "手续费->", "手续费", S::BatchList),
        item("其他费", "cbQiTaFee", "其他费->", "其他费", S::BatchList),
        item("自定义3", "cbDef3", "自定义3->", "自定义3", S::BatchList),
        item("自定义4", "cbDef4", "自定义4->", "自定义4", S::BatchList),
        item("自定义5", "cbDef5", "自定义5->", "自定义5", S::BatchList),
        item("金额大写1", "cbJEDX1", "金额大写1->", "金额大写1", S::BatchList),
        // Read into the remark when the window's options ask for it, in both scenarios.
        item("订单号", "", "", ""),
        item("会员Id", "", "", ""),
    };
    return items;
}

const QVector<ImportItem>& ImportItems::orders() {
    static const QVector<ImportItem> items = {
        item("订单号", "cbOrderID", "订单号->", "订单号"),
        item("会员Id", "cbMemberID", "客户ID->", "客户会员ID"),
        item("客户全称", "cbName", "客户全称->", "客户全称"),
        item("客户联系人", "cbContactor", "客户联系人->", "客户联系人"),
        item("客户电话", "cbPhone", "客户电话->", "客户电话"),
        item("客户手机", "cbHandset", "客户手机->", "客户手机"),
        item("客户省", "cbProvince", "客户省份->", "客户省"),
        item("客户市", "cbCity", "客户市/县->", "客户市"),
        item("客户镇区", "cbTown", "客户镇/区->", "客户镇区"),
        item("客户地址", "cbAddress", "客户地址->", "客户地址"),
        item("客户邮编", "cbZipCode", "客户邮编->", "客户邮编"),
        item("备注", "cbRemark", "订单备注->", "备注"),
        item("自定义1", "cbDef1", "自定义1->", "自定义1"),
        item("自定义2", "cbDef2", "自定义2->", "自定义2"),
        item("自定义3", "cbDef3", "自定义3->", "自定义3"),
    };
    return items;
}

const QVector<ImportItem>& ImportItems::orderLines() {
    static const QVector<ImportItem> items = {
        item("订单号", "cbDetailOrderID", "订单号->", "订单号"),
        item("货号", "cbGoodNo", "货号->", "货号"),
        item("商品名", "cbGoodName", "商品名->", "商品名"),
        item("规格", "cbGuiGe", "规格->", "规格"),
        item("单价", "cbPrice", "单价->", "单价"),
        item("单位", "cbUnit", "单位->", "单位"),
        item("金额", "cbAmount", "金额->", "金额"),
        item("数量", "cbQuantity", "数量->", "数量"),
        item("属性1", "cbProperty1", "属性1->", "属性1"),
        item("属性2", "cbProperty2", "属性2->", "属性2"),
    };
    return items;
}

int ImportItems::indexOf(const QVector<ImportItem>& items, const QString& chooserOrRule) {
    for (int i = 0; i < items.size(); ++i)
        if (items.at(i).chooser == chooserOrRule)
            return i;
    for (int i = 0; i < items.size(); ++i)
        if (items.at(i).chooser.isEmpty() && items.at(i).rule == chooserOrRule)
            return i;
    return -1;
}

QStringList ImportItems::rules(const QVector<ImportItem>& items) {
    QStringList rules;
    for (const ImportItem& it : items)
        rules << it.rule;
    return rules;
}

} // namespace imports
