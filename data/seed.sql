-- First-start content of a new database: system options, dictionaries, currencies,
-- operators, import rules, the recogniser's character fixes and a little demo data.
-- Templates are in seed_templates.sql (generated with the form images), region codes in
-- seed_regions.sql.

-- System options. Switches read "yes"/"no"; the spreadsheet preference "YES"/"NO".
INSERT INTO configtable (cname, cvalue) VALUES ('进入系统需验证', 'no');
INSERT INTO configtable (cname, cvalue) VALUES ('打印前弹出打印机设置', 'no');
INSERT INTO configtable (cname, cvalue) VALUES ('启用默认出票人', 'no');
INSERT INTO configtable (cname, cvalue) VALUES ('启用系统背景', 'yes');
INSERT INTO configtable (cname, cvalue) VALUES ('DefaultPrinter', '');
INSERT INTO configtable (cname, cvalue) VALUES ('MS EXCEL FIRST', 'YES');
INSERT INTO configtable (cname, cvalue) VALUES ('checkContainSS', '1');
-- A new database already has the current structure, so the data upgrade has nothing to do
-- and must not reset the item kinds of the shipped templates.
INSERT INTO configtable (cname, cvalue) VALUES ('version', '1.0');

-- Shared dictionaries (CheckTypeId 0).
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('计量单位', '个', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('计量单位', '件', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('计量单位', '台', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('计量单位', '套', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('计量单位', '箱', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('计量单位', '包', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('计量单位', '袋', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('计量单位', '盒', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('计量单位', '瓶', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('计量单位', '桶', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('计量单位', '只', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('计量单位', '条', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('计量单位', '张', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('计量单位', '卷', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('计量单位', '本', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('计量单位', '双', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('计量单位', '对', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('计量单位', '打', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('计量单位', '米', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('计量单位', '平方米', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('计量单位', '立方米', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('计量单位', '千克', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('计量单位', '克', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('计量单位', '吨', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('计量单位', '升', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('开票人', '管理员', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('开票人', '王芳', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('开票人', '李强', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('收款人', '管理员', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('收款人', '陈静', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('票据状态', '正常', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('票据状态', '作废', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('票据状态', '已发货', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('票据状态', '已收款', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('国家', '中国', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('国家', '中国香港', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('国家', '中国澳门', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('国家', '中国台湾', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('国家', '美国', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('国家', '日本', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('国家', '韩国', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('国家', '新加坡', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('国家', '英国', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('国家', '德国', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('国家', '法国', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('备注', '货物请当面点清，签收后视为无误。', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('备注', '款到发货', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('备注', '月结', 0);
-- Free fields 1 and 2 of the standard template: the delivering and the receiving person.
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('自定义1', '张师傅', 1);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('自定义1', '刘师傅', 1);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('自定义2', '本人签收', 1);

-- Currencies, listed by 顺序 descending. The abbreviation is written before amounts.
INSERT INTO coins (币种, 缩写, 顺序) VALUES ('人民币', '￥', 9);
INSERT INTO coins (币种, 缩写, 顺序) VALUES ('美元', '$', 8);
INSERT INTO coins (币种, 缩写, 顺序) VALUES ('港币', 'HK$', 7);
INSERT INTO coins (币种, 缩写, 顺序) VALUES ('欧元', '€', 6);
INSERT INTO coins (币种, 缩写, 顺序) VALUES ('英镑', '£', 5);
INSERT INTO coins (币种, 缩写, 顺序) VALUES ('日元', 'JPY', 4);
INSERT INTO coins (币种, 缩写, 顺序) VALUES ('澳门元', 'MOP', 3);
INSERT INTO coins (币种, 缩写, 顺序) VALUES ('新台币', 'NT$', 2);

-- One operator without a password (an empty password is stored as the empty text).
INSERT INTO UserTable (UserName, Passwd, RoleName, lastlogin, Remark) VALUES ('管理员', '', '管理员', NULL, '初始密码为空，请及时修改');

-- Demo address book: the own unit (also the default issuer) and two partner units.
INSERT INTO CKPersonalInfoTable (全称, 助记码, 联系人, 开户银行, 开户行账号, 开户行地址, 开户行行号, 识别号, 省, 市, 镇区, 地址, 电话, 手机, 邮编, 国家, 分组, 单位类型, 扩展信息, 自定义1, 自定义2, 自定义3, 排序)
VALUES ('青木鸟示范商贸有限公司', 'QMNSFSMYXGS', '王芳', '中国工商银行杭州西湖支行', '1202020109900012345', '杭州市西湖区文三路100号', '102331000123', '91330106MA2ABCDE1X', '浙江', '杭州市', '西湖区', '文三路100号', '0571-88880000', '13900000001', '310012', '中国', '默认出票人', '我方单位', '', '', '', '', 0);
INSERT INTO CKPersonalInfoTable (全称, 助记码, 联系人, 开户银行, 开户行账号, 开户行地址, 开户行行号, 识别号, 省, 市, 镇区, 地址, 电话, 手机, 邮编, 国家, 分组, 单位类型, 扩展信息, 自定义1, 自定义2, 自定义3, 排序)
VALUES ('深圳市星河电子有限公司', 'SZSXHDZYXGS', '李明', '', '', '', '', '', '广东', '深圳市', '南山区', '科技园南区高新南一道8号', '0755-26000000', '13800138000', '518057', '中国', '电子客户', '往来单位', '', '', '', '', 0);
INSERT INTO CKPersonalInfoTable (全称, 助记码, 联系人, 开户银行, 开户行账号, 开户行地址, 开户行行号, 识别号, 省, 市, 镇区, 地址, 电话, 手机, 邮编, 国家, 分组, 单位类型, 扩展信息, 自定义1, 自定义2, 自定义3, 排序)
VALUES ('王''s 数码店', 'WSMD', 'O''Brien', '', '', '', '', '', '上海', '上海市', '徐汇区', '漕溪北路88号', '021-64000000', '13700000002', '200030', '中国', '零售客户', '往来单位', '', '', '', '', 0);

-- Demo products.
INSERT INTO Products (商品名, 规格, 其他属性, 货号, 单位, 单价, 批价, 简码, 分类, 备注) VALUES ('联想电脑', 'ThinkCentre M720', '黑色', 'DN-001', '台', '4500.00', '4200.00', 'LXDN', '电脑', '');
INSERT INTO Products (商品名, 规格, 其他属性, 货号, 单位, 单价, 批价, 简码, 分类, 备注) VALUES ('笔记本', 'A5 80页', '蓝色', 'BG-012', '本', '6.50', '5.00', 'BJB', '办公用品', '');
INSERT INTO Products (商品名, 规格, 其他属性, 货号, 单位, 单价, 批价, 简码, 分类, 备注) VALUES ('打印纸', 'A4 70g', '500张/包', 'BG-020', '包', '25.00', '22.00', 'DYZ', '办公用品', '');
INSERT INTO Products (商品名, 规格, 其他属性, 货号, 单位, 单价, 批价, 简码, 分类, 备注) VALUES ('针式打印机', '80列', '', 'DY-101', '台', '1280.00', '1150.00', 'ZSDYJ', '电脑', '');
INSERT INTO Products (商品名, 规格, 其他属性, 货号, 单位, 单价, 批价, 简码, 分类, 备注) VALUES ('色带', '80列通用', '黑色', 'DY-102', '条', '18.00', '15.00', 'SD', '耗材', '');
INSERT INTO Products (商品名, 规格, 其他属性, 货号, 单位, 单价, 批价, 简码, 分类, 备注) VALUES ('三联出货单', '241-3', '1000份/箱', 'HC-241', '箱', '168.00', '150.00', 'SLCHD', '耗材', '');

-- Default column-matching rules of the recipient import, in the order the import window
-- would insert them.
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '联系人', '联系人,收件人姓名,收货人,收件联系人,*姓名*,name,fullname', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '单位全称', '会员ID,买家会员名,全称,单位全称,收件单位,收件公司,*公司*,企业名称', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '电话', '收件电话,固定电话,联系方式,联系电话,*电话*', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '手机', '收件手机,Mobile,移动电话,*手机*', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '地址', '收件地址,*地址*,address', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '省', '*省*,州,Province', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '市', '市,县市,城市,二级区划,city', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '镇区', '镇区,区县,三级区划,区镇', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '银行账号', '账号,银行账号,开户行账号,帐号', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '开户银行', '开户行,开户银行,银行名称,银行', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '物品内容', '物品内容,内件说明,商品名称,宝贝名称,宝贝标题', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '重量', '重量,计费重量,weight', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '国家', '国家,country', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '备注', '备注,买家留言', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '目的站', '目的地,目的站,城市', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '件数', '件数,数量', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '费用', '费用,总费用,费用合计', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '订单号', char(9) || '订单编号,订单ID,订单号', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '会员ID', 'QQ,旺旺,会员ID,客户编号', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '保价金额', '保价金额,声明价值,保险金额', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '保价费', '保价费,保险费', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '运费', '运费,运输费', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '加急费', '加急费', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '加急费', '加急费', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '包装费', '包装费', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '体积', '体积', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '代收金额', '代收金额,代收金额小写,代收款', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '手续费', '手续费,代收费', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '金额大写1', '金额大写1,金额', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '自定义3', '自定义3', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '自定义4', '自定义4', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '自定义5', '自定义5', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '助记码', '助记码', 0);
INSERT INTO MatchColumn (MatchType, ItemName, SourceName, ShowOrd) VALUES ('收件信息导入', '批打分组', '分组,批打分组,导入分组', 0);

-- Character fixes of the address recogniser, applied in this order before matching
-- (一级代码 replaced by 二级代码): full-width signs and digits become the half-width ones
-- its patterns look for, and common label variants become the labels it knows.
INSERT INTO DMTable2 (类型, 一级代码, 二级代码) VALUES ('其他字符', '（', '(');
INSERT INTO DMTable2 (类型, 一级代码, 二级代码) VALUES ('其他字符', '）', ')');
INSERT INTO DMTable2 (类型, 一级代码, 二级代码) VALUES ('其他字符', '【', '[');
INSERT INTO DMTable2 (类型, 一级代码, 二级代码) VALUES ('其他字符', '】', ']');
INSERT INTO DMTable2 (类型, 一级代码, 二级代码) VALUES ('其他字符', '＃', '#');
INSERT INTO DMTable2 (类型, 一级代码, 二级代码) VALUES ('其他字符', '；', ',');
INSERT INTO DMTable2 (类型, 一级代码, 二级代码) VALUES ('其他字符', '—', '-');
INSERT INTO DMTable2 (类型, 一级代码, 二级代码) VALUES ('其他字符', '０', '0');
INSERT INTO DMTable2 (类型, 一级代码, 二级代码) VALUES ('其他字符', '１', '1');
INSERT INTO DMTable2 (类型, 一级代码, 二级代码) VALUES ('其他字符', '２', '2');
INSERT INTO DMTable2 (类型, 一级代码, 二级代码) VALUES ('其他字符', '３', '3');
INSERT INTO DMTable2 (类型, 一级代码, 二级代码) VALUES ('其他字符', '４', '4');
INSERT INTO DMTable2 (类型, 一级代码, 二级代码) VALUES ('其他字符', '５', '5');
INSERT INTO DMTable2 (类型, 一级代码, 二级代码) VALUES ('其他字符', '６', '6');
INSERT INTO DMTable2 (类型, 一级代码, 二级代码) VALUES ('其他字符', '７', '7');
INSERT INTO DMTable2 (类型, 一级代码, 二级代码) VALUES ('其他字符', '８', '8');
INSERT INTO DMTable2 (类型, 一级代码, 二级代码) VALUES ('其他字符', '９', '9');
INSERT INTO DMTable2 (类型, 一级代码, 二级代码) VALUES ('其他字符', '移动电话', '手机');
INSERT INTO DMTable2 (类型, 一级代码, 二级代码) VALUES ('其他字符', '手机号码', '手机');
INSERT INTO DMTable2 (类型, 一级代码, 二级代码) VALUES ('其他字符', '电话号码', '电话');
INSERT INTO DMTable2 (类型, 一级代码, 二级代码) VALUES ('其他字符', '固定电话', '电话');
INSERT INTO DMTable2 (类型, 一级代码, 二级代码) VALUES ('其他字符', '邮政编码', '邮编');
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('收款方式', '现金', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('收款方式', '转账', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('收款方式', '微信', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('收款方式', '支付宝', 0);
INSERT INTO DMTable (DMName, DMValue, CheckTypeId) VALUES ('收款方式', '支票', 0);
