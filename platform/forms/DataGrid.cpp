#include "platform/forms/DataGrid.h"

#include "platform/dates/DateFormat.h"
#include "platform/dao/Dao.h"
#include "platform/forms/Interaction.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace tqen::forms {

DataControl::DataControl(const QString &name, QObject *parent) : QObject(parent) { setObjectName(name); }

void DataControl::Refresh() {
    rows_.clear();
    bookmarks_.clear();
    fields_.clear();
    error_ = {};
    more_ = false;
    read(FetchSize);
    emit refreshed();
}

void DataControl::read(int limit) {
    auto db = dao::Database::open(DatabaseName);
    // The rows come in the table's order; the next ones follow the last
    // bookmark read.
    QString sql = QStringLiteral("select * from ") + RecordSource;
    if (!bookmarks_.isEmpty())
        sql += QStringLiteral(" where rowid > ") + QString::number(bookmarks_.last().toLongLong());
    auto rs = db.openRecordset(sql);
    if (!rs.isOpen()) error_ = dao::failure(QStringLiteral("一覧を読み込めませんでした。"), db, rs);
    if (fields_.isEmpty()) fields_ = rs.fieldNames();
    QList<QVariantList> rows;
    QVariantList bookmarks;
    for (; !rs.eof() && (limit <= 0 || rows.size() < limit); rs.moveNext()) {
        QVariantList row;
        row.reserve(fields_.size());
        for (const QString &f : fields_) row << rs.field(f);
        rows << row;
        bookmarks << rs.bookmark();
    }
    more_ = limit > 0 && rows.size() == limit && rs.isOpen();
    rs.close();
    db.close();
    const bool growing = !rows_.isEmpty() && !rows.isEmpty();
    if (growing) emit aboutToAppend(rowCount(), int(rows.size()));
    rows_ << rows;
    bookmarks_ << bookmarks;
    if (growing) emit appended();
}

void DataControl::fetchMore() {
    if (!more_) return;
    emit aboutToFetch();
    // As many rows again as there are: a long scroll takes few reads.
    read(std::max(FetchSize, rowCount()));
}

void DataControl::fetchAll() {
    if (!more_) return;
    emit aboutToFetch();
    read(0);
}

int DataControl::fieldIndex(const QString &field) const {
    for (qsizetype i = 0; i < fields_.size(); ++i)
        if (fields_[i].compare(field, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

QVariant DataControl::value(int row, const QString &field) const {
    const int found = fieldIndex(field);
    if (row < 0 || row >= rows_.size() || found < 0) return {};
    return rows_[row].value(found);
}

bool DataControl::setValue(int row, const QString &field, const QVariant &value) {
    const int found = fieldIndex(field);
    if (row < 0 || row >= rows_.size() || found < 0) {
        error_ = Error(Error::Code::NotFound, QStringLiteral("書き込む行または項目がありません。"));
        return false;
    }
    auto db = dao::Database::open(DatabaseName);
    auto rs = db.openRow(RecordSource, bookmarks_[row]);
    if (!rs.isOpen()) {
        error_ = dao::failure(QStringLiteral("変更を書き込めませんでした。"), db, rs);
        return false;
    }
    // The row must still be the one on the screen: a row deleted meanwhile,
    // or one whose place a new row took, is not written.
    bool same = !rs.eof();
    for (qsizetype i = 0; same && i < fields_.size(); ++i) same = rs.field(fields_[i]) == rows_[row][i];
    if (!same) {
        error_ = Error(Error::Code::NotFound,
                       QStringLiteral("この行は、ほかで変更されたか削除されています。一覧を表示し直してから、もう一度操作してください。"));
        return false;
    }
    rs.edit();
    rs.setField(fields_[found], value);
    if (!rs.update()) {
        error_ = dao::failure(QStringLiteral("変更を書き込めませんでした。"), db, rs);
        return false;
    }
    rows_[row][found] = rs.field(fields_[found]);
    error_ = {};
    return true;
}

class DataGrid::Model : public QAbstractTableModel {
public:
    Model(DataControl *data, QList<GridColumn> columns, QObject *parent)
        : QAbstractTableModel(parent), data_(data), columns_(std::move(columns)) {}

    int rowCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : data_->rowCount(); }
    bool canFetchMore(const QModelIndex &parent) const override { return !parent.isValid() && data_->canFetchMore(); }
    void fetchMore(const QModelIndex &parent) override {
        if (!parent.isValid()) data_->fetchMore();
    }
    int columnCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : int(columns_.size()); }

    QVariant value(int row, int col) const {
        if (col < 0 || col >= columns_.size()) return {};
        if (columns_[col].field.isEmpty())
            return columns_[col].computed && row >= 0 && row < data_->rowCount() ? columns_[col].computed(row) : QVariant();
        return data_->value(row, columns_[col].field);
    }

    QString text(int row, int col) const {
        const QVariant v = value(row, col);
        if (v.isNull()) return {};
        if (v.typeId() == QMetaType::QDate) {
            const QString format = columns_[col].NumberFormat.isEmpty() ? QStringLiteral("yyyy/mm/dd")
                                                                         : columns_[col].NumberFormat;
            return FormatDate(v.toDate(), format);
        }
        return v.toString();
    }

    QVariant data(const QModelIndex &index, int role) const override {
        if (!index.isValid()) return {};
        const GridColumn &c = columns_[index.column()];
        if (c.tickBox) {
            if (role == Qt::CheckStateRole) return value(index.row(), index.column()).toBool() ? Qt::Checked : Qt::Unchecked;
            if (role == Qt::AccessibleTextRole) return value(index.row(), index.column()).toBool() ? QStringLiteral("チェックあり") : QStringLiteral("チェックなし");
            return {};
        }
        if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::AccessibleTextRole)
            return text(index.row(), index.column());
        return {};
    }

    bool setData(const QModelIndex &index, const QVariant &value, int role) override {
        if (!index.isValid()) return false;
        const GridColumn &c = columns_[index.column()];
        QVariant v = value;
        if (c.tickBox) {
            if (role == Qt::CheckStateRole) v = value.toInt() == Qt::Checked;
            else if (role != Qt::EditRole) return false;
        } else if (role != Qt::EditRole) {
            return false;
        }
        return store(index.row(), index.column(), v);
    }

    // Stores an edit: the column-update event, the row-update event, then
    // every cell of the row that is no longer what the table holds.
    bool store(int row, int col, QVariant v) {
        if (row < 0 || row >= data_->rowCount() || col < 0 || col >= columns_.size()) return false;
        if (columns_[col].field.isEmpty()) return false;
        bool cancel = false;
        if (grid_) emit grid_->BeforeColUpdate(col, value(row, col), &v, &cancel);
        if (!cancel) {
            QVariantList cells;
            for (int i = 0; i < columns_.size(); ++i) cells << (i == col ? v : value(row, i));
            if (grid_) emit grid_->BeforeUpdate(row, &cells, &cancel);
            if (!cancel) {
                bool ok = true;
                for (int i = 0; i < columns_.size(); ++i) {
                    if (columns_[i].field.isEmpty() || i >= cells.size()) continue;
                    const QVariant now = value(row, i);
                    if (i != col && cells[i].isNull() == now.isNull() && cells[i] == now) continue;
                    if (!data_->setValue(row, columns_[i].field, cells[i])) {
                        // The row changed or went since it was read: the
                        // user is told, and nothing more is written.
                        interaction().messageBox(qobject_cast<QWidget *>(QObject::parent()),
                                                 data_->lastError().message(), mb::OK | mb::Exclamation,
                                                 programTitle());
                        ok = false;
                        break;
                    }
                }
                emit dataChanged(index(row, 0), index(row, int(columns_.size()) - 1));
                if (ok && grid_) emit grid_->AfterUpdate(row);
                return ok;
            }
        }
        emit dataChanged(index(row, 0), index(row, int(columns_.size()) - 1));
        return false;
    }

    Qt::ItemFlags flags(const QModelIndex &index) const override {
        Qt::ItemFlags f = QAbstractTableModel::flags(index);
        if (!index.isValid()) return f;
        const GridColumn &c = columns_[index.column()];
        if (c.tickBox && !c.tickByForm) f |= Qt::ItemIsUserCheckable;
        else if (!c.readOnly) f |= Qt::ItemIsEditable;
        return f;
    }

    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (o == Qt::Horizontal && role == Qt::DisplayRole && section < columns_.size()) return columns_[section].caption;
        if (o == Qt::Vertical && role == Qt::DisplayRole) return section + 1;
        return {};
    }

    void reset() {
        beginResetModel();
        endResetModel();
    }
    // Rows the data control reads after those the grid knows.
    void beginAppend(int first, int count) { beginInsertRows({}, first, first + count - 1); }
    void endAppend() { endInsertRows(); }

    DataControl *data_;
    QList<GridColumn> columns_;
    DataGrid *grid_ = nullptr;   // receives the edit events
};

DataGrid::DataGrid(const QString &name, DataControl *data, const QList<GridColumn> &columns, QWidget *parent)
    : QTableView(parent), data_(data) {
    setObjectName(name);
    model_ = new Model(data, columns, this);
    model_->grid_ = this;
    setModel(model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    verticalHeader()->setDefaultSectionSize(24);
    horizontalHeader()->setStretchLastSection(true);
    setAlternatingRowColors(true);
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].widthPixels > 0) setColumnWidth(i, columns[i].widthPixels);
    connect(data, &DataControl::refreshed, this, [this] {
        model_->reset();
        if (model_->rowCount({}) > 0) setCurrentIndex(model_->index(0, 0));
    });
    connect(data, &DataControl::aboutToAppend, this,
            [this](int first, int count) { model_->beginAppend(first, count); });
    connect(data, &DataControl::appended, this, [this] { model_->endAppend(); });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, &DataGrid::rowColChange);
    connect(this, &QAbstractItemView::clicked, this, [this] { emit Click(); });
}

QVariant DataGrid::Columns(int index) const {
    const int row = Row();
    if (row < 0) return {};
    return model_->value(row, index);
}

QString DataGrid::ColumnText(int index) const {
    const int row = Row();
    if (row < 0) return {};
    return model_->text(row, index);
}

void DataGrid::setNumberFormat(int column, const QString &format) {
    if (column < 0 || column >= model_->columns_.size()) return;
    model_->columns_[column].NumberFormat = format;
    viewport()->update();
}

int DataGrid::Row() const {
    const QModelIndex i = currentIndex();
    if (!i.isValid() || i.row() >= model_->rowCount({})) return -1;
    return i.row();
}

void DataGrid::setRow(int row) {
    if (row < 0 || row >= model_->rowCount({})) return;
    setCurrentIndex(model_->index(row, std::max(0, Col())));
}

int DataGrid::Col() const { return currentIndex().isValid() ? currentIndex().column() : 0; }

void DataGrid::setCol(int col) {
    const int row = std::max(0, Row());
    if (model_->rowCount({}) == 0) return;
    setCurrentIndex(model_->index(row, col));
}

int DataGrid::RowCount() const { return model_->rowCount({}); }

void DataGrid::MoveFirst() {
    if (model_->rowCount({}) > 0) setCurrentIndex(model_->index(0, Col()));
    else setCurrentIndex({});
}

void DataGrid::MoveNext() {
    const int row = Row();
    if (row < 0) return;
    if (row + 1 >= model_->rowCount({}) && data_->canFetchMore()) data_->fetchMore();
    if (row + 1 < model_->rowCount({})) {
        setCurrentIndex(model_->index(row + 1, Col()));
    } else {
        // Past the last row: no current row, the walk is at its end.
        selectionModel()->clearCurrentIndex();
    }
}

bool DataGrid::EOF_() const { return Row() < 0; }

void DataGrid::Update() {
    // An open editor holds the pending edit; committing it writes it.
    if (state() == QAbstractItemView::EditingState) {
        QWidget *w = focusWidget();
        if (w && w != this && w != viewport()) {
            commitData(w);
            closeEditor(w, QAbstractItemDelegate::NoHint);
        }
    }
}

bool DataGrid::setColumnValue(int index, const QVariant &value) {
    const int row = Row();
    if (row < 0) return false;
    return model_->store(row, index, value);
}

bool DataGrid::previewKey(QKeyEvent *event) {
    bool consumed = false;
    emit KeyDown(event->key(), event->modifiers(), &consumed);
    const QString text = event->text();
    if (!consumed && !text.isEmpty() && text.at(0).isPrint()) emit KeyPress(text, &consumed);
    return consumed;
}

void DataGrid::keyPressEvent(QKeyEvent *event) {
    if (previewKey(event)) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

bool DataGrid::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) {
    // The key that opens an editor (AnyKeyPressed) came through
    // keyPressEvent, which offered it to the key events already.
    const bool opened = QTableView::edit(index, trigger, event);
    if (opened) {
        if (QWidget *editor = indexWidget(index)) {
            // The editor types what the grid's input-method setting allows,
            // and its keys reach the key events before the editor's own
            // handling (this filter runs before the delegate's).
            editor->setAttribute(Qt::WA_InputMethodEnabled, testAttribute(Qt::WA_InputMethodEnabled));
            editor->removeEventFilter(this);
            editor->installEventFilter(this);
        }
    }
    return opened;
}

bool DataGrid::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress && watched != this && watched->parent() == viewport()) {
        if (previewKey(static_cast<QKeyEvent *>(event))) return true;
    }
    return QTableView::eventFilter(watched, event);
}

}  // namespace tqen::forms
