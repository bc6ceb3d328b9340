#pragma once
// Memo templates (テンプレート): the office's usual headings of a memo, each
// a name and a text, in the order the office gives them. They live in the
// table メモテンプレート of the data database, so every PC of the office
// offers the same ones. A data database without the table offers the
// default set below until the office saves its own (an empty set too).
#include "platform/dao/AddedTable.h"
#include "platform/error/Error.h"

#include <QList>
#include <QString>

namespace tqen::model {

struct MemoTemplate {
    QString name;
    QString text;
    bool operator==(const MemoTemplate &) const = default;
};

namespace MemoTemplates {

extern const QString Table;
constexpr int MaxName = 50;
// A template is a memo's headings, not a document: longer texts are refused.
constexpr int MaxText = 10000;

const dao::AddedTable &definition();

// What the office starts with: the headings of a sales talk.
QList<MemoTemplate> defaults();

// Why this set cannot be saved, empty when it can: a template without a
// name or text, a name used twice, a name or text too long. `at` is the
// index of the template at fault.
QString problem(const QList<MemoTemplate> &templates, int *at = nullptr);

// The office's templates in order; the default set while the data database
// has none saved (`saved` false then).
QList<MemoTemplate> list(const QString &dataDbPath, bool *saved = nullptr, Error *error = nullptr);

// Replaces the office's templates by this set, in one transaction; the
// table is made on the first save. A set with a problem is refused and
// nothing is written.
Error save(const QString &dataDbPath, const QList<MemoTemplate> &templates);

}  // namespace MemoTemplates

}  // namespace tqen::model
