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
#include <QFileInfo>
#include <QString>
#include <QStringList>

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

}  // namespace tqen::bench
