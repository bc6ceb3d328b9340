// Writes the Jet test files and what mdb-export must print for each table:
//   tqen-jet-fixtures OUTDIR
// gives OUTDIR/NAME.mdb and OUTDIR/NAME.mdb.TABLE.csv for every table.
#include "tests/support/jet/JetFixture.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

using namespace tqen::testing::jetfile;

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tqen-jet-fixtures OUTDIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("."))) return 1;
    QList<Table> sample = sampleDataTables();
    sample.append(allKinds());
    Options uncompressed;
    uncompressed.compressText = false;
    Options jet3;
    jet3.version = 0x00;
    const struct {
        const char *name;
        QList<Table> tables;
        Options options;
    } files[] = {{"sample.mdb", sample, Options{}},
                 {"sample-ucs2.mdb", sample, uncompressed},
                 {"many.mdb", {manyReports(5000)}, Options{}},
                 {"jet3.mdb", sampleDataTables(), jet3}};
    for (const auto &f : files) {
        const QString path = out.filePath(QString::fromLatin1(f.name));
        if (!writeFile(path, jet4File(f.tables, f.options))) return 1;
        for (const Table &t : f.tables)
            if (!writeFile(path + u'.' + t.name + QStringLiteral(".csv"), expectedExport(t))) return 1;
    }
    return 0;
}
