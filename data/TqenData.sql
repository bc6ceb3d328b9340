-- The data database TqenData.mdb: reports, customers, the code table and the
-- hint texts. The program only reads and writes rows; it creates no table but
-- the search index, in a file from before it (see the end).
--
-- Declared types tell the engine how to read a field: DATE fields hold the
-- text "yyyy-mm-dd" (so comparison and ordering go by calendar day) and read
-- as dates; BOOLEAN fields hold 1 / 0 and read as yes/no; TEXT and INTEGER
-- read as they are.

PRAGMA page_size = 4096;

-- Daily reports: one row per day, customer and staff member (not enforced).
CREATE TABLE 営業日報 (
    日付     DATE,
    顧客名   TEXT,
    ふりがな TEXT,
    タイトル TEXT,
    担当     TEXT,
    メモ     TEXT
);
-- The calendar's month, the entry's day look-up and the list all ask for a
-- date range, mostly with a customer and a staff member too.
CREATE INDEX 営業日報_日付 ON 営業日報 (日付);
CREATE INDEX 営業日報_顧客担当日付 ON 営業日報 (顧客名, 担当, 日付);
CREATE INDEX 営業日報_担当日付 ON 営業日報 (担当, 日付);

-- Customers, listed by reading, looked up by name and by staff member.
CREATE TABLE 顧客マスタ (
    名称     TEXT,
    ふりがな TEXT,
    担当     TEXT
);
CREATE INDEX 顧客マスタ_名称 ON 顧客マスタ (名称);
CREATE INDEX 顧客マスタ_ふりがな ON 顧客マスタ (ふりがな);
CREATE INDEX 顧客マスタ_担当ふりがな ON 顧客マスタ (担当, ふりがな);

-- Coded lists side by side, told apart by kcode. A row with a Null sname is
-- a free slot.
CREATE TABLE コードマスタ (
    kcode TEXT,
    code  TEXT,
    sname TEXT,
    cnt   INTEGER
);
CREATE INDEX コードマスタ_区分コード ON コードマスタ (kcode, code);

-- Hint texts per form and control.
CREATE TABLE TqHint (
    FormName  TEXT,
    CtlName   TEXT,
    FormTitle TEXT,
    Contents  TEXT
);
CREATE INDEX TqHint_フォーム部品 ON TqHint (FormName, CtlName);

-- The staff list "担当": thirty free slots "01" … "30".
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 30)
INSERT INTO コードマスタ (kcode, code, sname, cnt)
SELECT '担当', printf('%02d', i), NULL, i FROM n;

-- Full-text search of the reports' title, memo and customer name, all of it
-- derived from 営業日報 (a backup leaves it out; the program makes it again).
-- Each report's text, folded (full / half width, hiragana / katakana and
-- letter case made one), is indexed under the report's rowid twice: by
-- trigrams in 営業日報_検索 for terms of three characters or more, and by
-- every character and pair of characters in 営業日報_検索字 for shorter ones.
-- Both keep rowids only. The triggers are plain SQL: they only note each
-- written report in 営業日報_検索待ち, with the text the index still holds
-- for it, and the program indexes the noted reports before it searches.
CREATE VIRTUAL TABLE 営業日報_検索 USING fts5(本文, content='', detail=none, columnsize=0, tokenize='trigram case_sensitive 1');
CREATE VIRTUAL TABLE 営業日報_検索字 USING fts5(字, content='', detail=none, columnsize=0, tokenize='ascii');
CREATE TABLE 営業日報_検索待ち (id INTEGER PRIMARY KEY, 索引済 INTEGER NOT NULL, タイトル TEXT, メモ TEXT, 顧客名 TEXT);
CREATE TRIGGER 営業日報_検索_追加 AFTER INSERT ON 営業日報 BEGIN
  INSERT OR IGNORE INTO 営業日報_検索待ち (id, 索引済) VALUES (new.rowid, 0);
END;
CREATE TRIGGER 営業日報_検索_更新 AFTER UPDATE ON 営業日報
WHEN old.rowid IS NOT new.rowid OR old.タイトル IS NOT new.タイトル OR old.メモ IS NOT new.メモ OR old.顧客名 IS NOT new.顧客名
BEGIN
  INSERT OR IGNORE INTO 営業日報_検索待ち (id, 索引済, タイトル, メモ, 顧客名) VALUES (old.rowid, 1, old.タイトル, old.メモ, old.顧客名);
  INSERT OR IGNORE INTO 営業日報_検索待ち (id, 索引済) VALUES (new.rowid, 0);
END;
CREATE TRIGGER 営業日報_検索_削除 AFTER DELETE ON 営業日報 BEGIN
  INSERT OR IGNORE INTO 営業日報_検索待ち (id, 索引済, タイトル, メモ, 顧客名) VALUES (old.rowid, 1, old.タイトル, old.メモ, old.顧客名);
END;
