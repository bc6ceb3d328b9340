#pragma once
// Jet's "like": * any run of characters, ? one character, # one digit,
// [abc] [a-z] one character of a list, [!abc] one character not in it; a
// wildcard inside brackets ([*] [?] [#] [[]) is an ordinary character, and so
// are % and _. Letters match regardless of case. The whole value must match.
#include <QString>

namespace tqen::dao {

enum class LikeResult { NoMatch, Match, BadPattern };

LikeResult jetLike(QStringView value, QStringView pattern);

}  // namespace tqen::dao
