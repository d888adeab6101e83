-- The empty template package Data/Template.a01: the export copies it and fills the copy.
-- Column names as the package import and export read and write them.

CREATE TABLE _CKTypeTable (
    CheckTypeID INTEGER,
    typename TEXT COLLATE NOCASE,
    TypeFirstName TEXT COLLATE NOCASE,
    TypeDescribe TEXT COLLATE NOCASE,
    xmove INTEGER DEFAULT 0,
    ymove INTEGER DEFAULT 0,
    theight INTEGER DEFAULT 0,
    twidth INTEGER DEFAULT 0,
    hvPrint TEXT COLLATE NOCASE,
    ImgFile TEXT COLLATE NOCASE,
    visiable TEXT COLLATE NOCASE,
    CheckBoxs TEXT COLLATE NOCASE,
    IsCommon TEXT COLLATE NOCASE,
    ShowOrd TEXT COLLATE NOCASE,
    IsDefault TEXT COLLATE NOCASE,
    Img_Bytes BLOB,
    Ini_Text TEXT COLLATE NOCASE,
    PWidth INTEGER,
    PHeight INTEGER
);

CREATE TABLE _ckControl (
    CheckTypeID INTEGER,
    CtlName TEXT COLLATE NOCASE,
    CtlCName TEXT COLLATE NOCASE,
    CtlType TEXT COLLATE NOCASE,
    CtlX INTEGER,
    CtlY INTEGER,
    CtlH INTEGER,
    CtlW INTEGER,
    CtlLH INTEGER,
    SrcX INTEGER,
    SrcY INTEGER,
    SrcH INTEGER,
    SrcW INTEGER,
    NeedPrint INTEGER,
    NeedShow INTEGER,
    CtlFontName TEXT COLLATE NOCASE,
    CtlFontSize INTEGER,
    BreakFontSize INTEGER,
    Bold INTEGER,
    Italic INTEGER,
    UnderLine INTEGER,
    FitParam TEXT COLLATE NOCASE,
    BreakNum TEXT COLLATE NOCASE,
    InitValue TEXT COLLATE NOCASE,
    ShowOrd INTEGER,
    Align TEXT COLLATE NOCASE,
    CtlFontColor TEXT COLLATE NOCASE
);
CREATE INDEX idx_package_ckcontrol ON _ckControl (CheckTypeID);

CREATE TABLE _Config (
    Id INTEGER PRIMARY KEY AUTOINCREMENT,
    DMName TEXT COLLATE NOCASE,
    DMValue TEXT COLLATE NOCASE,
    CheckTypeId INTEGER
);
INSERT INTO _Config (DMName, DMValue, CheckTypeId) VALUES ('version', '1.0', 0);
