// The data path as a server's connection URI: telling a URI from a file
// path, its host for messages, and keeping passwords out of what is shown
// or stored (a password belongs in the login prompt or ~/.pgpass).
#include "platform/dao/Server.h"

#include <QRegularExpression>
#include <QUrl>

#include <optional>

namespace tqen::dao {

bool isServerUri(const QString &pathOrUri) {
    return pathOrUri.startsWith(QStringLiteral("postgresql://"), Qt::CaseInsensitive) ||
           pathOrUri.startsWith(QStringLiteral("postgres://"), Qt::CaseInsensitive);
}

QString serverHost(const QString &uri) {
    const QUrl url(uri);
    QString host = url.host();
    if (host.isEmpty()) {
        // A host may be given as a parameter: ?host=…
        const QRegularExpression re(QStringLiteral("[?&]host=([^&]+)"));
        const auto m = re.match(uri);
        host = m.hasMatch() ? QUrl::fromPercentEncoding(m.captured(1).toUtf8()) : QStringLiteral("localhost");
    }
    return url.port() > 0 ? host + u':' + QString::number(url.port()) : host;
}

namespace {

// Where libpq finds a password in a URI: the user information before '@'
// (user:password, the '@' looked for up to the first '/'), and the query
// parameters password and sslpassword (names percent-decoded, as libpq
// decodes them). passfile names a file and is no password.
struct PasswordPlaces {
    qsizetype userColon = -1, userEnd = -1;   // ':' and '@' of the user information
    QList<std::pair<qsizetype, qsizetype>> values;  // [from, to) of password values
};

PasswordPlaces passwordPlaces(const QString &uri) {
    PasswordPlaces out;
    if (!isServerUri(uri)) return out;
    const qsizetype start = uri.indexOf(QStringLiteral("://")) + 3;
    for (qsizetype i = start; i < uri.size() && uri[i] != u'/'; ++i)
        if (uri[i] == u'@') out.userEnd = i;
    if (out.userEnd >= 0) out.userColon = uri.indexOf(u':', start);
    if (out.userColon >= out.userEnd) out.userColon = -1;
    const qsizetype query = uri.indexOf(u'?', std::max(start, out.userEnd + 1));
    if (query < 0) return out;
    for (qsizetype from = query + 1; from <= uri.size();) {
        qsizetype to = uri.indexOf(u'&', from);
        if (to < 0) to = uri.size();
        const qsizetype eq = uri.indexOf(u'=', from);
        if (eq >= 0 && eq < to) {
            const QString key = QUrl::fromPercentEncoding(uri.mid(from, eq - from).toUtf8()).trimmed();
            if (key.compare(QStringLiteral("password"), Qt::CaseInsensitive) == 0 ||
                key.compare(QStringLiteral("sslpassword"), Qt::CaseInsensitive) == 0)
                out.values.push_back({eq + 1, to});
        }
        from = to + 1;
    }
    return out;
}

}  // namespace

bool uriHoldsPassword(const QString &uri) {
    const PasswordPlaces p = passwordPlaces(uri);
    return p.userColon >= 0 || !p.values.isEmpty();
}

QString withoutPassword(const QString &uri) {
    const PasswordPlaces p = passwordPlaces(uri);
    QString out = uri;
    // From the end, so that earlier places keep their offsets.
    for (auto it = p.values.crbegin(); it != p.values.crend(); ++it)
        out.replace(it->first, it->second - it->first, QStringLiteral("****"));
    if (p.userColon >= 0) out.replace(p.userColon + 1, p.userEnd - p.userColon - 1, QStringLiteral("****"));
    return out;
}

QString maskPasswords(const QString &text) {
    static const QRegularExpression uri(QStringLiteral("postgres(ql)?://[^\\s\"']*"),
                                        QRegularExpression::CaseInsensitiveOption);
    QString out;
    qsizetype done = 0;
    for (auto it = uri.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        out += text.mid(done, m.capturedStart() - done) + withoutPassword(m.captured());
        done = m.capturedEnd();
    }
    return out + text.mid(done);
}

QString passwordRefusal() {
    return QStringLiteral("データベースサーバーのアドレスにパスワードが含まれています。パスワードはアドレスに書かず、"
                          "接続のときに入力するか ~/.pgpass に書いてください。");
}

}  // namespace tqen::dao
