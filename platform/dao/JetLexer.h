#pragma once
// Splits a Jet SQL text into tokens: quoted strings ('…' or "…", the quote
// doubled inside), #…# dates, names (Japanese ones included, [bracketed]
// ones too), numbers and punctuation. Blanks only separate tokens. A ";" ends
// the statement; anything after it is an error, as in Jet. A statement
// that is given its values apart may hold ? marks for them.
#include <QString>
#include <QVector>

namespace tqen::dao {

struct JetToken {
    enum Kind { Name, BracketName, String, Date, Number, Punct, Param };
    Kind kind;
    QString text;  // the name, the string's value, the date's inner text, the punctuation;
                   // of a ? mark its number among the statement's marks, from 0
    int pos;       // offset in the statement text

    bool isWord(const char *w) const {
        return kind == Name && text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
    }
    bool isPunct(const char *p) const { return kind == Punct && text == QLatin1String(p); }
};

struct JetLexResult {
    QVector<JetToken> tokens;
    QString error;  // empty when the text was split cleanly
};

// With parameters, a ? outside a literal is a Param token; without, it is
// the error it always was.
JetLexResult lexJet(const QString &sql, bool parameters = false);

}  // namespace tqen::dao
