#pragma once
// Folding of text for search. Full-width and half-width forms, hiragana and
// katakana, and upper and lower case all fold to one form, so that a term
// finds its text whichever way either was typed:
//
//   "ｶﾞｲﾄﾞ" "がいど" "ガイド"  → "ガイド"
//   "ＡＢＣ１２" "abc12"        → "abc12"
//
// The text is cut into clusters (a character with the marks that follow it,
// such as a half-width katakana and its voiced mark); each cluster is brought
// to compatibility composition (NFKC), case folded, and its hiragana turned
// into katakana. The folded text is the clusters' folds one after another,
// so a position in it leads back to a position in the original.
#include <QList>
#include <QString>

namespace tqen::text {

QString fold(const QString &text);

// The position of the first lone UTF-16 surrogate (half of a character, as a
// paste or an input method can leave) in a text, or -1. Such a text cannot be
// stored as it is; it is refused where it is typed instead of being altered.
qsizetype loneSurrogateAt(const QString &text);

// A folded text and, for each of its UTF-16 units, where the cluster it came
// from begins in the original; origin has one more entry, the original's size.
struct Folded {
    QString text;
    QList<qsizetype> origin;
};
Folded foldMapped(const QString &text);

// Characters (code points) of a text: what decides whether a term is long
// enough for the trigram index.
qsizetype codePoints(const QString &text);

// Where a folded term first occurs in a text, in the original's units:
// {begin, length}; {-1, 0} when it does not occur or the term is empty.
struct Span {
    qsizetype begin = -1;
    qsizetype length = 0;
};
Span findFolded(const QString &text, const QString &foldedTerm);

// A line of context around the first occurrence: up to `before` characters
// before it and `after` (default: as many) after it, with "…" where the text
// is cut and the match between 【 and 】. Line breaks become blanks. Empty
// when the term does not occur.
QString context(const QString &text, const QString &foldedTerm, int before = 12, int after = -1);

}  // namespace tqen::text
