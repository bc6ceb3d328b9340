// tqen-schema data|work FILE: writes the script that makes the delivered
// data or work file, as the program defines its tables.
#include "model/Schema.h"

#include <QFile>
#include <QString>

#include <cstdio>

int main(int argc, char **argv) {
    namespace schema = tqen::model::schema;
    const QString which = argc == 3 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (which != u"data" && which != u"work") {
        std::fprintf(stderr, "usage: tqen-schema data|work FILE\n");
        return 2;
    }
    const QString script = schema::fileScript(which == u"data" ? schema::dataDatabase() : schema::workDatabase());
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(script.toUtf8()) < 0 || !out.flush()) {
        std::fprintf(stderr, "tqen-schema: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
