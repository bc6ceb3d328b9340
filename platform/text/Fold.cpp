#include "platform/text/Fold.h"

namespace tqen::text {

namespace {

// Marks that belong to the character before them: combining marks and
// variation selectors, and the half-width voiced and semi-voiced marks.
bool joinsPrevious(char32_t c) {
    if (c == 0xFF9E || c == 0xFF9F || c == 0x3099 || c == 0x309A) return true;
    // Most of a Japanese text: no marks among Latin letters before the
    // combining block, kana and kanji.
    if (c < 0x300 || (c >= 0x3040 && c <= 0x30FF) || (c >= 0x4E00 && c <= 0x9FFF)) return false;
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing: return true;
    default: return false;
    }
}

bool isVariationSelector(char32_t c) { return (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xE0100 && c <= 0xE01EF); }

char32_t codePointAt(const QString &s, qsizetype i, qsizetype *units) {
    const QChar c = s.at(i);
    if (c.isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) {
        *units = 2;
        return QChar::surrogateToUcs4(c, s.at(i + 1));
    }
    *units = 1;
    return c.unicode();
}

// One character that needs no normalisation, folded directly; 0 when the
// general path must decide.
char16_t quickFold(char16_t c) {
    if (c < 0x80) return (c >= u'A' && c <= u'Z') ? char16_t(c + 0x20) : c;
    if ((c >= 0x3041 && c <= 0x3096) || c == 0x309D || c == 0x309E) return char16_t(c + 0x60);  // hiragana → katakana
    if (c >= 0x30A1 && c <= 0x30FE) return c;                                                  // katakana
    if (c >= 0x4E00 && c <= 0x9FFF) return c;                                                  // kanji
    if ((c >= 0x3001 && c <= 0x3002) || c == 0x3005 || (c >= 0x3008 && c <= 0x3011)) return c;   // 、。々 and brackets
    return 0;
}

// Appends the fold of one cluster.
void foldCluster(const QString &cluster, QString *out) {
    if (cluster.size() == 1) {
        if (const char16_t q = quickFold(cluster.at(0).unicode())) {
            out->append(QChar(q));
            return;
        }
    }
    const QString n = cluster.normalized(QString::NormalizationForm_KC).toCaseFolded();
    for (qsizetype i = 0; i < n.size();) {
        qsizetype units = 1;
        const char32_t c = codePointAt(n, i, &units);
        if (!isVariationSelector(c)) {
            if ((c >= 0x3041 && c <= 0x3096) || c == 0x309D || c == 0x309E) out->append(QChar(char16_t(c + 0x60)));
            else out->append(n.mid(i, units));
        }
        i += units;
    }
}

template <bool Mapped>
void foldInto(const QString &text, QString *out, QList<qsizetype> *origin) {
    out->reserve(text.size());
    if constexpr (Mapped) origin->reserve(text.size() + 1);
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype begin = i;
        qsizetype units = 1;
        codePointAt(text, i, &units);
        i += units;
        while (i < text.size()) {
            const char32_t next = codePointAt(text, i, &units);
            if (!joinsPrevious(next)) break;
            i += units;
        }
        const qsizetype before = out->size();
        if (i - begin == 1 && quickFold(text.at(begin).unicode())) out->append(QChar(quickFold(text.at(begin).unicode())));
        else foldCluster(text.mid(begin, i - begin), out);
        if constexpr (Mapped) {
            for (qsizetype k = before; k < out->size(); ++k) origin->append(begin);
        }
    }
    if constexpr (Mapped) origin->append(text.size());
}

QString flat(QString s) {
    for (QChar &c : s) {
        if (c == u'\n' || c == u'\r' || c == u'\t') c = u' ';
    }
    return s;
}

}  // namespace

qsizetype loneSurrogateAt(const QString &text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate()) return i;
    }
    return -1;
}

QString fold(const QString &text) {
    QString out;
    foldInto<false>(text, &out, nullptr);
    return out;
}

Folded foldMapped(const QString &text) {
    Folded f;
    foldInto<true>(text, &f.text, &f.origin);
    return f;
}

qsizetype codePoints(const QString &text) {
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!(text.at(i).isLowSurrogate() && i > 0 && text.at(i - 1).isHighSurrogate())) ++n;
    }
    return n;
}

Span findFolded(const QString &text, const QString &foldedTerm) {
    if (foldedTerm.isEmpty()) return {};
    const Folded f = foldMapped(text);
    const qsizetype at = f.text.indexOf(foldedTerm);
    if (at < 0) return {};
    // The match ends where the cluster of its last unit ends.
    const qsizetype last = at + foldedTerm.size() - 1;
    qsizetype j = last + 1;
    while (j < f.text.size() && f.origin[j] == f.origin[last]) ++j;
    const qsizetype begin = f.origin[at];
    return {begin, f.origin[j] - begin};
}

QString context(const QString &text, const QString &foldedTerm, int before, int after) {
    if (after < 0) after = before;
    const Span s = findFolded(text, foldedTerm);
    if (s.begin < 0) return {};
    qsizetype from = std::max<qsizetype>(0, s.begin - before);
    if (from > 0 && text.at(from).isLowSurrogate()) --from;
    qsizetype to = std::min(text.size(), s.begin + s.length + after);
    if (to < text.size() && text.at(to).isLowSurrogate()) ++to;
    return (from > 0 ? QStringLiteral("…") : QString()) + flat(text.mid(from, s.begin - from)) + u'【' +
           flat(text.mid(s.begin, s.length)) + u'】' + flat(text.mid(s.begin + s.length, to - s.begin - s.length)) +
           (to < text.size() ? QStringLiteral("…") : QString());
}

}  // namespace tqen::text
