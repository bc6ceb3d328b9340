#include "core/Globals.h"

namespace tqen {

Globals &G() {
    static Globals g;
    return g;
}

model::Session sessionFromGlobals() {
    const Globals &g = G();
    return model::Session{g.DataFolder, g.HelpFolder, g.WorkDbPath, g.DataDbPath, g.HintDbPath, g.Env};
}

bool IsEraMode(const QString &eraMode) { return eraMode == QStringLiteral("和暦"); }

QString DayFormatFor(const QString &eraMode) {
    return IsEraMode(eraMode) ? QStringLiteral("ggg ee年mm月dd日") : QStringLiteral("yyyy年mm月dd日");
}

QString MonthFormatFor(const QString &eraMode) {
    return IsEraMode(eraMode) ? QStringLiteral("ggg ee年mm月") : QStringLiteral("yyyy年mm月");
}

}  // namespace tqen
