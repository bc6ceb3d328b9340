#include "platform/dao/JetLike.h"

#include <QList>

#include <vector>

namespace tqen::dao {

namespace {

char32_t fold(char32_t c) { return QChar::toCaseFolded(c); }

// One element of a compiled pattern.
struct Element {
    enum Kind { Any, AnyRun, Digit, Literal, Set } kind;
    char32_t ch = 0;                                  // Literal, folded
    bool negated = false;                             // Set
    std::vector<std::pair<char32_t, char32_t>> ranges; // Set, folded bounds
};

bool isDigit(char32_t c) { return (c >= '0' && c <= '9') || QChar::isDigit(c); }

bool compile(const QList<uint> &p, std::vector<Element> &out) {
    const qsizetype n = p.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char32_t c = p[i];
        if (c == '*') {
            if (out.empty() || out.back().kind != Element::AnyRun) out.push_back({Element::AnyRun});
        } else if (c == '?') {
            out.push_back({Element::Any});
        } else if (c == '#') {
            out.push_back({Element::Digit});
        } else if (c == '[') {
            qsizetype j = i + 1;
            Element e{Element::Set};
            if (j < n && p[j] == '!' && j + 1 < n && p[j + 1] != ']') { e.negated = true; ++j; }
            while (j < n && p[j] != ']') {
                char32_t lo = p[j];
                if (j + 2 < n && p[j + 1] == '-' && p[j + 2] != ']') {
                    char32_t hi = p[j + 2];
                    if (hi < lo) return false;
                    e.ranges.push_back({lo, hi});
                    j += 3;
                } else {
                    e.ranges.push_back({lo, lo});
                    ++j;
                }
            }
            if (j >= n) return false;  // no closing ]
            // "[]" stands for the empty string: it takes no character.
            if (!e.ranges.empty()) out.push_back(std::move(e));
            i = j;
        } else {
            out.push_back({Element::Literal, fold(c)});
        }
    }
    return true;
}

bool matchOne(const Element &e, char32_t c) {
    switch (e.kind) {
    case Element::Any: return true;
    case Element::Digit: return isDigit(c);
    case Element::Literal: return fold(c) == e.ch;
    case Element::Set: {
        const char32_t f = fold(c);
        bool in = false;
        for (const auto &[lo, hi] : e.ranges) {
            if ((c >= lo && c <= hi) || (f >= fold(lo) && f <= fold(hi))) { in = true; break; }
        }
        return in != e.negated;
    }
    case Element::AnyRun: return false;
    }
    return false;
}

}  // namespace

LikeResult jetLike(QStringView value, QStringView pattern) {
    std::vector<Element> elems;
    if (!compile(pattern.toUcs4(), elems)) return LikeResult::BadPattern;
    const QList<uint> v = value.toUcs4();
    // Greedy walk with one back-track point at the last "*": every other
    // element takes exactly one character, so this finds a match when one exists.
    size_t pi = 0;
    qsizetype vi = 0;
    size_t starP = size_t(-1);
    qsizetype starV = 0;
    while (vi < v.size()) {
        if (pi < elems.size() && elems[pi].kind == Element::AnyRun) {
            starP = pi++;
            starV = vi;
        } else if (pi < elems.size() && matchOne(elems[pi], v[vi])) {
            ++pi;
            ++vi;
        } else if (starP != size_t(-1)) {
            pi = starP + 1;
            vi = ++starV;
        } else {
            return LikeResult::NoMatch;
        }
    }
    while (pi < elems.size() && elems[pi].kind == Element::AnyRun) ++pi;
    return pi == elems.size() ? LikeResult::Match : LikeResult::NoMatch;
}

}  // namespace tqen::dao
