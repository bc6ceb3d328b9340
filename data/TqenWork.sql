-- The work database TqenWork.mdb: the settings row and the scratch tables
-- (names beginning with "w") that feed grids, lists and printed reports.
-- Declared types as in TqenData.sql: DATE holds "yyyy-mm-dd", BOOLEAN 1 / 0.

PRAGMA page_size = 4096;

-- Settings: one row. DataPath Null means the default data file; the date
-- style is delivered as "西暦" (western), which is also what a Null means.
CREATE TABLE 管理 (
    DataPath TEXT,
    年号     TEXT,
    担当     TEXT,
    顧客名   TEXT,
    ふりがな TEXT
);
INSERT INTO 管理 (DataPath, 年号, 担当, 顧客名, ふりがな) VALUES (NULL, '西暦', NULL, NULL, NULL);

-- Customers found by the kana index on the main screen.
CREATE TABLE w顧客参照 (
    名称     TEXT,
    ふりがな TEXT
);

-- Reports to print: every field of 営業日報.
CREATE TABLE w日報印刷 (
    日付     DATE,
    顧客名   TEXT,
    ふりがな TEXT,
    タイトル TEXT,
    担当     TEXT,
    メモ     TEXT
);

-- The report list with its tick column.
CREATE TABLE w日報一覧 (
    日付     DATE,
    顧客名   TEXT,
    タイトル TEXT,
    担当     TEXT,
    チェック BOOLEAN NOT NULL DEFAULT 0
);

-- The code-master grid; 行番号 numbers the rows in the order they are added.
CREATE TABLE wコードマスタ (
    行番号   INTEGER PRIMARY KEY AUTOINCREMENT,
    code     TEXT,
    sname    TEXT,
    cnt      INTEGER,
    チェック BOOLEAN NOT NULL DEFAULT 0
);

-- The customer list of the maintenance form.
CREATE TABLE w顧客マスタ (
    名称     TEXT,
    ふりがな TEXT,
    チェック BOOLEAN NOT NULL DEFAULT 0
);

-- The backup to a folder: one row. 保存先 Null means no folder chosen yet;
-- 保存数 is how many archives stay in the folder; 毎日 1 backs up at start-up
-- when 最終保存 ("yyyy-mm-dd hh:nn:ss", local time) is a day old or more.
-- A work file without this table reads as the defaults.
CREATE TABLE バックアップ設定 (
    保存先   TEXT,
    保存数   INTEGER,
    毎日     BOOLEAN NOT NULL DEFAULT 0,
    最終保存 TEXT
);
INSERT INTO バックアップ設定 (保存先, 保存数, 毎日, 最終保存) VALUES (NULL, 10, 0, NULL);
