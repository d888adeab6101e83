-- Tables of Data/EPData.ini (SQLite). Text columns compare without regard to letter case,
-- as the engine the statements were written for did; dates are ISO text
-- 'YYYY-MM-DD HH:MM:SS' so that they sort and compare as dates.
-- Statements end with ';' at the end of a line; ProgramFolder runs them one by one.
-- Indexes cover one column each: many statements walk rows without an order and rely on
-- getting them in the order they were stored (item lists, the recogniser's character fixes
-- applied one after another); an index over the selected columns would hand them back
-- sorted instead.

CREATE TABLE configtable (
    cname TEXT COLLATE NOCASE,
    cvalue TEXT COLLATE NOCASE
);
CREATE INDEX idx_configtable_cname ON configtable (cname);

-- Templates: one row per paper layout.
CREATE TABLE CKTypeTable (
    CheckTypeID INTEGER PRIMARY KEY,
    TypeName TEXT COLLATE NOCASE,
    TypeFirstName TEXT COLLATE NOCASE,
    TypeDescribe TEXT COLLATE NOCASE,
    XMove INTEGER DEFAULT 0,
    YMove INTEGER DEFAULT 0,
    THeight INTEGER DEFAULT 0,
    TWidth INTEGER DEFAULT 0,
    PWidth INTEGER DEFAULT 0,
    PHeight INTEGER DEFAULT 0,
    HVPrint TEXT COLLATE NOCASE DEFAULT '0',
    ImgFile TEXT COLLATE NOCASE,
    Visiable TEXT COLLATE NOCASE,
    CheckBoxs TEXT COLLATE NOCASE DEFAULT '',
    IsDefault TEXT COLLATE NOCASE DEFAULT '0',
    IsCommon TEXT COLLATE NOCASE DEFAULT '否',
    ShowOrd INTEGER DEFAULT 0,
    IniFile TEXT COLLATE NOCASE DEFAULT '',
    PreImgURL TEXT COLLATE NOCASE DEFAULT '',
    InputBgColor TEXT COLLATE NOCASE DEFAULT '',
    InputFtColor TEXT COLLATE NOCASE DEFAULT ''
);
CREATE INDEX idx_cktypetable_kind ON CKTypeTable (TypeFirstName);
CREATE INDEX idx_cktypetable_name ON CKTypeTable (TypeName);

-- Layout of one item on one template: input box on screen (pixels), print box on paper
-- (tenths of a millimetre).
CREATE TABLE ckControl (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    CheckTypeID INTEGER,
    CtlName TEXT COLLATE NOCASE,
    CtlCName TEXT COLLATE NOCASE,
    CtlType TEXT COLLATE NOCASE,
    CtlX INTEGER DEFAULT 0,
    CtlY INTEGER DEFAULT 0,
    CtlW INTEGER DEFAULT 0,
    CtlH INTEGER DEFAULT 0,
    ctlLH INTEGER DEFAULT 50,
    SrcX INTEGER DEFAULT 0,
    SrcY INTEGER DEFAULT 0,
    SrcW INTEGER DEFAULT 0,
    SrcH INTEGER DEFAULT 0,
    NeedShow INTEGER DEFAULT 0,
    NeedPrint INTEGER DEFAULT 1,
    CtlFontName TEXT COLLATE NOCASE DEFAULT '宋体',
    CtlFontSize INTEGER DEFAULT 10,
    BreakFontSize INTEGER DEFAULT 9,
    BreakNum TEXT COLLATE NOCASE DEFAULT '',
    FitParam TEXT COLLATE NOCASE DEFAULT '',
    Align TEXT COLLATE NOCASE DEFAULT '0',
    CtlFontColor TEXT COLLATE NOCASE DEFAULT '0',
    Bold INTEGER DEFAULT 0,
    Italic INTEGER DEFAULT 0,
    UnderLine INTEGER DEFAULT 0,
    InitValue TEXT COLLATE NOCASE DEFAULT '',
    ShowOrd INTEGER DEFAULT 0
);
CREATE INDEX idx_ckcontrol_template ON ckControl (CheckTypeID);

-- Definition of one item of a template kind.
CREATE TABLE NameDict (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    CheckTypeName TEXT COLLATE NOCASE,
    CtlName TEXT COLLATE NOCASE,
    CtlLabel TEXT COLLATE NOCASE,
    CtlType TEXT COLLATE NOCASE DEFAULT 'TEXT',
    CtlData TEXT COLLATE NOCASE DEFAULT '',
    PrintItem INTEGER DEFAULT 1,
    ShowOrd INTEGER DEFAULT 0,
    Groups TEXT COLLATE NOCASE DEFAULT ''
);
CREATE INDEX idx_namedict_kind ON NameDict (CheckTypeName);

-- Dictionaries and, under names beginning with cfg, template settings (CheckTypeId 0: shared).
CREATE TABLE DMTable (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    DMName TEXT COLLATE NOCASE,
    DMValue TEXT COLLATE NOCASE,
    CheckTypeId INTEGER DEFAULT 0
);
CREATE INDEX idx_dmtable_name ON DMTable (DMName);

-- Saved delivery notes and their goods lines.
CREATE TABLE DataCheckFHDSHD (
    流水号 INTEGER PRIMARY KEY AUTOINCREMENT,
    票据编号 TEXT COLLATE NOCASE,
    模板种类 TEXT COLLATE NOCASE,
    其他选项 TEXT COLLATE NOCASE,
    票据状态 TEXT COLLATE NOCASE,
    币种 TEXT COLLATE NOCASE,
    合计金额 TEXT COLLATE NOCASE,
    合计数量 TEXT COLLATE NOCASE,
    备注 TEXT COLLATE NOCASE,
    订单编号 TEXT COLLATE NOCASE,
    订单日期 TEXT,
    出票日期 TEXT,
    顾客名称 TEXT COLLATE NOCASE,
    顾客联系人 TEXT COLLATE NOCASE,
    顾客地址 TEXT COLLATE NOCASE,
    顾客电话 TEXT COLLATE NOCASE,
    顾客手机 TEXT COLLATE NOCASE,
    开票人 TEXT COLLATE NOCASE,
    收款人 TEXT COLLATE NOCASE,
    自定义1 TEXT COLLATE NOCASE,
    自定义2 TEXT COLLATE NOCASE,
    自定义3 TEXT COLLATE NOCASE,
    自定义4 TEXT COLLATE NOCASE,
    自定义5 TEXT COLLATE NOCASE
);
CREATE INDEX idx_fhdshd_number ON DataCheckFHDSHD (票据编号);
CREATE INDEX idx_fhdshd_date ON DataCheckFHDSHD (出票日期);

CREATE TABLE DataCheckFHDSHDDetail (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    票据编号 TEXT COLLATE NOCASE,
    序号 INTEGER,
    订单编号 TEXT COLLATE NOCASE,
    货号 TEXT COLLATE NOCASE,
    商品名 TEXT COLLATE NOCASE,
    规格 TEXT COLLATE NOCASE,
    单位 TEXT COLLATE NOCASE,
    数量 TEXT COLLATE NOCASE,
    单价 TEXT COLLATE NOCASE,
    金额 TEXT COLLATE NOCASE,
    其他属性 TEXT COLLATE NOCASE
);
CREATE INDEX idx_fhdshddetail_number ON DataCheckFHDSHDDetail (票据编号);

-- Count and sum of the notes per issue day (at 00:00:00), template kind and state, written with
-- every change of the notes: what the history counts without reading every note. One row per
-- key (a missing value kept as an empty text); the key leads with the day for the date bounds.
CREATE TABLE NoteDayTotals (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    出票日期 TEXT COLLATE NOCASE,
    模板种类 TEXT COLLATE NOCASE,
    票据状态 TEXT COLLATE NOCASE,
    单据数 INTEGER,
    金额数 INTEGER,
    金额合计 FLOAT
);
CREATE UNIQUE INDEX idx_notedaytotals_key ON NoteDayTotals (出票日期, 模板种类, 票据状态);

-- Sales per issue day (yyyy-MM-dd, '' for none), customer (its case key) and state, and per
-- issue day, product (#货号, else =商品名, case keys) and state, in cents; written with every
-- change of the notes, like the day totals: the overview's top customers and products.
CREATE TABLE NoteCustomerDays (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    出票日 TEXT COLLATE NOCASE,
    顾客键 TEXT COLLATE NOCASE,
    顾客名称 TEXT COLLATE NOCASE,
    票据状态 TEXT COLLATE NOCASE,
    单据数 INTEGER,
    金额分 INTEGER
);
CREATE UNIQUE INDEX idx_notecustomerdays_key ON NoteCustomerDays (出票日, 顾客键, 票据状态);
CREATE TABLE NoteProductDays (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    出票日 TEXT COLLATE NOCASE,
    商品键 TEXT COLLATE NOCASE,
    货号 TEXT COLLATE NOCASE,
    商品名 TEXT COLLATE NOCASE,
    票据状态 TEXT COLLATE NOCASE,
    行数 INTEGER,
    金额分 INTEGER
);
CREATE UNIQUE INDEX idx_noteproductdays_key ON NoteProductDays (出票日, 商品键, 票据状态);
-- The same sums per issue month (yyyy-MM, '' for none): spans of whole months and old debt
-- read a row per customer or product and month.
CREATE TABLE NoteCustomerMonths (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    出票月 TEXT COLLATE NOCASE,
    顾客键 TEXT COLLATE NOCASE,
    顾客名称 TEXT COLLATE NOCASE,
    票据状态 TEXT COLLATE NOCASE,
    单据数 INTEGER,
    金额分 INTEGER
);
CREATE UNIQUE INDEX idx_notecustomermonths_key ON NoteCustomerMonths (出票月, 顾客键, 票据状态);
CREATE INDEX idx_notecustomermonths_customer ON NoteCustomerMonths (顾客键, 出票月, 票据状态, 金额分, 顾客名称);
CREATE TABLE NoteProductMonths (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    出票月 TEXT COLLATE NOCASE,
    商品键 TEXT COLLATE NOCASE,
    货号 TEXT COLLATE NOCASE,
    商品名 TEXT COLLATE NOCASE,
    票据状态 TEXT COLLATE NOCASE,
    行数 INTEGER,
    金额分 INTEGER
);
CREATE UNIQUE INDEX idx_noteproductmonths_key ON NoteProductMonths (出票月, 商品键, 票据状态);

-- Address book: own units and partner units.
CREATE TABLE CKPersonalInfoTable (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    全称 TEXT COLLATE NOCASE,
    助记码 TEXT COLLATE NOCASE,
    联系人 TEXT COLLATE NOCASE,
    开户银行 TEXT COLLATE NOCASE,
    开户行账号 TEXT COLLATE NOCASE,
    开户行地址 TEXT COLLATE NOCASE,
    开户行行号 TEXT COLLATE NOCASE,
    识别号 TEXT COLLATE NOCASE,
    省 TEXT COLLATE NOCASE,
    市 TEXT COLLATE NOCASE,
    镇区 TEXT COLLATE NOCASE,
    地址 TEXT COLLATE NOCASE,
    电话 TEXT COLLATE NOCASE,
    手机 TEXT COLLATE NOCASE,
    邮编 TEXT COLLATE NOCASE,
    国家 TEXT COLLATE NOCASE,
    分组 TEXT COLLATE NOCASE,
    单位类型 TEXT COLLATE NOCASE,
    扩展信息 TEXT COLLATE NOCASE,
    自定义1 TEXT COLLATE NOCASE,
    自定义2 TEXT COLLATE NOCASE,
    自定义3 TEXT COLLATE NOCASE,
    排序 INTEGER DEFAULT 0
);
CREATE INDEX idx_person_fullname ON CKPersonalInfoTable (全称);
CREATE INDEX idx_person_mnemonic ON CKPersonalInfoTable (助记码);
-- The address-book manager's group tree lists the distinct groups and provinces on every opening.
CREATE INDEX idx_person_group ON CKPersonalInfoTable (分组);
CREATE INDEX idx_person_province ON CKPersonalInfoTable (省);

-- Product catalogue; prices are kept as the text typed ("0.00" when left empty).
CREATE TABLE Products (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    商品名 TEXT COLLATE NOCASE,
    规格 TEXT COLLATE NOCASE,
    其他属性 TEXT COLLATE NOCASE,
    货号 TEXT COLLATE NOCASE,
    单位 TEXT COLLATE NOCASE,
    单价 TEXT COLLATE NOCASE,
    批价 TEXT COLLATE NOCASE,
    简码 TEXT COLLATE NOCASE,
    分类 TEXT COLLATE NOCASE,
    备注 TEXT COLLATE NOCASE
);
CREATE INDEX idx_products_number ON Products (货号);
CREATE INDEX idx_products_name ON Products (商品名);
CREATE INDEX idx_products_mnemonic ON Products (简码);

-- Bill-number series, one per (IDType, CheckTypeID); created on the first request.
CREATE TABLE IDBuilder (
    FID INTEGER PRIMARY KEY AUTOINCREMENT,
    IDHead TEXT COLLATE NOCASE DEFAULT '',
    IDType TEXT COLLATE NOCASE,
    IDMax INTEGER DEFAULT 0,
    IDStep INTEGER DEFAULT 1,
    IDLen INTEGER DEFAULT 8,
    CheckTypeID INTEGER DEFAULT 0
);
CREATE INDEX idx_idbuilder_series ON IDBuilder (IDType, CheckTypeID);

-- Two-level codes: provinces and cities (类型 省市) and the recogniser's character fixes
-- (类型 其他字符: 一级代码 is replaced by 二级代码).
CREATE TABLE DMTable2 (
    类型 TEXT COLLATE NOCASE,
    一级代码 TEXT COLLATE NOCASE,
    二级代码 TEXT COLLATE NOCASE
);
CREATE INDEX idx_dmtable2_first ON DMTable2 (一级代码);

CREATE TABLE coins (
    币种 TEXT COLLATE NOCASE,
    缩写 TEXT COLLATE NOCASE,
    顺序 INTEGER DEFAULT 0
);

-- Column-matching rules of the spreadsheet imports.
CREATE TABLE MatchColumn (
    Id INTEGER PRIMARY KEY AUTOINCREMENT,
    MatchType TEXT COLLATE NOCASE,
    ItemName TEXT COLLATE NOCASE,
    SourceName TEXT COLLATE NOCASE,
    ShowOrd INTEGER DEFAULT 0
);
CREATE INDEX idx_matchcolumn_item ON MatchColumn (ItemName);

-- Recipient list of batch printing; every column is written as text.
CREATE TABLE ReceiverList (
    全称 TEXT COLLATE NOCASE,
    国家 TEXT COLLATE NOCASE,
    省 TEXT COLLATE NOCASE,
    市 TEXT COLLATE NOCASE,
    镇区 TEXT COLLATE NOCASE,
    地址 TEXT COLLATE NOCASE,
    邮编 TEXT COLLATE NOCASE,
    联系人 TEXT COLLATE NOCASE,
    电话 TEXT COLLATE NOCASE,
    手机 TEXT COLLATE NOCASE,
    批打分组 TEXT COLLATE NOCASE,
    目的站 TEXT COLLATE NOCASE,
    内件说明 TEXT COLLATE NOCASE,
    重量 TEXT COLLATE NOCASE,
    件数 TEXT COLLATE NOCASE,
    费用 TEXT COLLATE NOCASE,
    备注 TEXT COLLATE NOCASE,
    保价金额 TEXT COLLATE NOCASE,
    保价费 TEXT COLLATE NOCASE,
    体积 TEXT COLLATE NOCASE,
    包装费 TEXT COLLATE NOCASE,
    代收金额 TEXT COLLATE NOCASE,
    手续费 TEXT COLLATE NOCASE,
    运费 TEXT COLLATE NOCASE,
    送货费 TEXT COLLATE NOCASE,
    加急费 TEXT COLLATE NOCASE,
    其他费 TEXT COLLATE NOCASE,
    自定义3 TEXT COLLATE NOCASE,
    自定义4 TEXT COLLATE NOCASE,
    自定义5 TEXT COLLATE NOCASE,
    金额大写1 TEXT COLLATE NOCASE
);
CREATE INDEX idx_receiverlist_group ON ReceiverList (批打分组);

-- Imported orders and their goods lines.
CREATE TABLE OrderList (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    订单号 TEXT COLLATE NOCASE,
    订单状态 TEXT COLLATE NOCASE,
    订单日期 TEXT,
    客户全称 TEXT COLLATE NOCASE,
    客户会员ID TEXT COLLATE NOCASE,
    客户省 TEXT COLLATE NOCASE,
    客户市 TEXT COLLATE NOCASE,
    客户镇区 TEXT COLLATE NOCASE,
    客户地址 TEXT COLLATE NOCASE,
    客户邮编 TEXT COLLATE NOCASE,
    客户联系人 TEXT COLLATE NOCASE,
    客户电话 TEXT COLLATE NOCASE,
    客户手机 TEXT COLLATE NOCASE,
    备注 TEXT COLLATE NOCASE,
    自定义1 TEXT COLLATE NOCASE,
    自定义2 TEXT COLLATE NOCASE,
    自定义3 TEXT COLLATE NOCASE,
    票据编号 TEXT COLLATE NOCASE
);
-- One row per order number, letter case ignored: two seats importing one sheet update one order.
CREATE UNIQUE INDEX uq_orderlist_number ON OrderList (订单号);

CREATE TABLE OrderDetail (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    订单号 TEXT COLLATE NOCASE,
    货号 TEXT COLLATE NOCASE,
    商品名 TEXT COLLATE NOCASE,
    规格 TEXT COLLATE NOCASE,
    单位 TEXT COLLATE NOCASE,
    数量 TEXT COLLATE NOCASE,
    单价 TEXT COLLATE NOCASE,
    金额 TEXT COLLATE NOCASE,
    属性1 TEXT COLLATE NOCASE,
    属性2 TEXT COLLATE NOCASE
);
CREATE INDEX idx_orderdetail_number ON OrderDetail (订单号);

-- Operators; Passwd is empty or the lowercase MD5 hex of the GBK bytes of the password.
CREATE TABLE UserTable (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    UserName TEXT COLLATE NOCASE,
    Passwd TEXT COLLATE NOCASE DEFAULT '',
    RoleName TEXT COLLATE NOCASE,
    lastlogin TEXT,
    Remark TEXT COLLATE NOCASE
);

-- Courier bills of earlier versions; kept only so that the data upgrade finds its columns.
CREATE TABLE DataKDDTable (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    票据编号 TEXT COLLATE NOCASE,
    模板种类 TEXT COLLATE NOCASE,
    出票日期 TEXT,
    体积 TEXT COLLATE NOCASE,
    代收金额 TEXT COLLATE NOCASE,
    手续费 TEXT COLLATE NOCASE,
    保价金额 TEXT COLLATE NOCASE,
    保价费 TEXT COLLATE NOCASE,
    运费 TEXT COLLATE NOCASE,
    加急费 TEXT COLLATE NOCASE,
    包装费 TEXT COLLATE NOCASE,
    送货费 TEXT COLLATE NOCASE,
    其他费 TEXT COLLATE NOCASE,
    金额大写1 TEXT COLLATE NOCASE,
    自定义1 TEXT COLLATE NOCASE,
    自定义2 TEXT COLLATE NOCASE,
    自定义3 TEXT COLLATE NOCASE,
    自定义4 TEXT COLLATE NOCASE,
    自定义5 TEXT COLLATE NOCASE
);

-- Money received from (negative: refunded to) customers, in cents. The customer is the name as
-- the notes hold it; the method comes from the dictionary 收款方式.
CREATE TABLE Payments (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    收款日期 TEXT,
    顾客名称 TEXT COLLATE NOCASE,
    金额分 INTEGER,
    收款方式 TEXT COLLATE NOCASE,
    票据编号 TEXT COLLATE NOCASE,
    备注 TEXT COLLATE NOCASE,
    操作员 TEXT COLLATE NOCASE,
    录入时间 TEXT
);
CREATE INDEX idx_payments_customer ON Payments (顾客名称);
CREATE INDEX idx_payments_date ON Payments (收款日期);
CREATE INDEX idx_payments_note ON Payments (票据编号);
CREATE INDEX idx_payments_balance ON Payments (顾客名称, 收款日期, 金额分);

-- Names an address-book unit carried before a rename, so that its older notes and payments
-- stay its own. Written in the rename's transaction; saved notes are never rewritten.
CREATE TABLE CustomerRenames (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    单位ID INTEGER,
    旧名称 TEXT COLLATE NOCASE,
    新名称 TEXT COLLATE NOCASE,
    改名时间 TEXT
);
CREATE INDEX idx_customerrenames_unit ON CustomerRenames (单位ID);

-- What a customer's statement and the receivables look up.
CREATE INDEX idx_fhdshd_customer ON DataCheckFHDSHD (顾客名称);
CREATE INDEX idx_orderlist_customer ON OrderList (客户全称);
