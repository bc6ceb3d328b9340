#pragma once
// Where the benchmark data files of each size and order live, and which of
// them are there. tqen_datagen writes them:
//
//   bench/data/TqenData.mdb                        100,000 reports, random order
//   bench/data/reports-N-random/TqenData.mdb       N reports, random order
//   bench/data/reports-N-chronological/TqenData.mdb N reports written day after day
//
// Benchmarks print each action for every file of 10,000, 100,000 and
// 1,000,000 reports that has been made (the large ones take long to make
// and are never made by the build).
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

namespace tqen::bench {

// The folder tqen_datagen writes N reports in the given order to.
inline QString dataFolder(const QString &root, int reports, bool chronological) {
    if (reports == 100000 && !chronological) return root;
    return QStringLiteral("%1/reports-%2-%3").arg(root).arg(reports).arg(chronological ? "chronological" : "random");
}

struct DataSet {
    QString label;   // "1,000,000 chronological"
    QString folder;  // holds TqenData.mdb and TqenWork.mdb
    int reports = 0;
    bool chronological = false;
    QString data() const { return folder + QStringLiteral("/TqenData.mdb"); }
};

// The data sets of 10,000, 100,000 and 1,000,000 reports, in both orders,
// that exist under root, smallest first.
inline std::vector<DataSet> dataSets(const QString &root) {
    std::vector<DataSet> out;
    for (const int reports : {10000, 100000, 1000000}) {
        for (const bool chronological : {false, true}) {
            DataSet set;
            set.reports = reports;
            set.chronological = chronological;
            set.folder = dataFolder(root, reports, chronological);
            set.label = QStringLiteral("%L1 %2").arg(reports).arg(chronological ? "chronological" : "random");
            if (QFileInfo::exists(set.data())) out.push_back(set);
        }
    }
    return out;
}

// The data sets a benchmark runs on: those under root, or only the ones of
// the size named first on its command line ("tqen_bench_list 1000000").
// When there are none it says how to make them, on stderr.
inline std::vector<DataSet> chosenDataSets(const QString &root, int argc, char **argv) {
    std::vector<DataSet> sets = dataSets(root);
    if (argc > 1) {
        const int only = QString::fromLocal8Bit(argv[1]).toInt();
        std::erase_if(sets, [only](const DataSet &s) { return s.reports != only; });
    }
    if (sets.empty()) std::fprintf(stderr, "no benchmark data: build the target tqen_benchdata first\n");
    return sets;
}

// A writable copy of a file in a temporary folder, under its own name or the
// one given; empty when it could not be made. Benchmarks change copies only,
// never the data sets themselves.
inline QString copyInto(const QTemporaryDir &tmp, const QString &from, const QString &name = QString()) {
    const QString to = tmp.filePath(name.isEmpty() ? QFileInfo(from).fileName() : name);
    if (!QFile::copy(from, to)) return QString();
    QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
    return to;
}

}  // namespace tqen::bench
