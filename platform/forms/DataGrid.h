#pragma once
// A data control and the grid bound to it. The data control names a
// database file and a table of it (DatabaseName, RecordSource); Refresh()
// reads the table's rows again. The grid shows those rows in its columns and
// writes what the user edits (text, tick boxes) straight back to the table.
//
// An edit goes to the very row the grid shows, found by its bookmark. When
// that row was deleted or changed by someone else since the last Refresh(),
// the edit is refused and says so; it never lands on another row.
//
// A data control with a FetchSize reads rows in parts: Refresh() the first
// FetchSize rows, fetchMore() the next ones, which the grid asks for as the
// user scrolls towards the rows not read yet.
#include "platform/error/Error.h"

#include <QAbstractTableModel>
#include <QTableView>
#include <QVariant>

#include <functional>

namespace tqen::forms {

class DataControl : public QObject {
    Q_OBJECT
public:
    explicit DataControl(const QString &name, QObject *parent = nullptr);

    QString DatabaseName;
    QString RecordSource;

    // Rows read at a time; 0 reads every row at once.
    int FetchSize = 0;

    // Reads the record source again: every row, or its first FetchSize rows.
    void Refresh();
    // Whether rows may follow those read; fetchMore() reads the next ones
    // (after aboutToFetch; FetchSize of them, or as many as were read when
    // that is more), fetchAll() all of them.
    bool canFetchMore() const { return more_; }
    void fetchMore();
    void fetchAll();

    int rowCount() const { return int(rows_.size()); }
    QStringList fieldNames() const { return fields_; }
    // Null for an unknown field or row.
    QVariant value(int row, const QString &field) const;
    // Writes one field of one row back to the table; false when it failed
    // (lastError() says why).
    bool setValue(int row, const QString &field, const QVariant &value);
    const Error &lastError() const { return error_; }

signals:
    void refreshed();
    // Before more rows are read: whoever fills the record source in parts
    // completes it here.
    void aboutToFetch();
    // Around rows first … first + count - 1 that fetchMore() or fetchAll()
    // add after those read.
    void aboutToAppend(int first, int count);
    void appended();

private:
    int fieldIndex(const QString &field) const;   // -1 when the table has no such field
    // Reads up to `limit` rows (all when 0) after the last one read.
    void read(int limit);
    bool more_ = false;
    QStringList fields_;
    QList<QVariantList> rows_;
    QVariantList bookmarks_;   // of each row, as read
    Error error_;
};

struct GridColumn {
    QString field;          // name of the table field ("" for a column with no field)
    QString caption;
    bool tickBox = false;   // a yes/no field shown as a tick box the user edits
    bool readOnly = true;
    QString NumberFormat;   // date format of the column ("gee/mm/dd" …)
    int widthPixels = 0;
    // A tick box that the form flips itself on the grid's Click(); the check
    // indicator alone does not change it.
    bool tickByForm = false;
    // For a column with no field: its value in a row, given by the form
    // (read-only).
    std::function<QVariant(int row)> computed;
};

class DataGrid : public QTableView {
    Q_OBJECT
public:
    DataGrid(const QString &name, DataControl *data, const QList<GridColumn> &columns, QWidget *parent = nullptr);

    // The value of a column in the current row; Null when there is no
    // current row.
    QVariant Columns(int index) const;
    QString ColumnText(int index) const;
    void setNumberFormat(int column, const QString &format);

    int Row() const;            // current row, -1 when none
    void setRow(int row);
    int Col() const;
    void setCol(int col);
    int RowCount() const;

    // Walk of all rows.
    void MoveFirst();
    void MoveNext();
    bool EOF_() const;

    // Saves the pending edit to the table.
    void Update();

    DataControl *dataControl() const { return data_; }

    // Stores a value in a column of the current row the way an edit does
    // (column-update and row-update events first); false when there is no
    // current row, an event cancelled it or the write failed.
    bool setColumnValue(int index, const QVariant &value);

    using QTableView::edit;

signals:
    void rowColChange();

    // Before an edited cell is stored: *value is the new value; a handler may
    // change it or set *cancel, and then nothing is stored.
    void BeforeColUpdate(int col, const QVariant &oldValue, QVariant *value, bool *cancel);
    // Before an edited row is written: *cells holds every column of the row
    // with the edit in it; a handler may change cells or set *cancel. Cells
    // that differ from the table are then written.
    void BeforeUpdate(int row, QVariantList *cells, bool *cancel);
    // After a row was written.
    void AfterUpdate(int row);
    // A click on a cell (mouse), without arguments.
    void Click();
    // A key on the grid or on its open cell editor, before either handles
    // it; a handler sets *consumed to keep it from them. KeyPress follows
    // KeyDown for keys that type a character.
    void KeyDown(int key, Qt::KeyboardModifiers modifiers, bool *consumed);
    void KeyPress(const QString &text, bool *consumed);

protected:
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Emits KeyDown and KeyPress; true when a handler consumed the key.
    bool previewKey(QKeyEvent *event);
    class Model;
    Model *model_;
    DataControl *data_;
};

}  // namespace tqen::forms
