#pragma once
// The entry of a benchmark that drives the forms: offscreen unless a
// platform is set, the program's font substitutions, then each chosen data
// set in turn ("tqen_bench_list 1000000" runs one size only).
#include "bench/support/BenchData.h"
#include "platform/forms/Fonts.h"

#include <QApplication>

#include <functional>

namespace tqen::bench {

inline int runGuiBench(int argc, char **argv, const std::function<void(const DataSet &)> &runSet) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    forms::InstallFontSubstitutions();
    const std::vector<DataSet> sets = chosenDataSets(QStringLiteral(TQEN_BENCH_DATA_DIR), argc, argv);
    if (sets.empty()) return 2;
    for (const DataSet &set : sets) runSet(set);
    return 0;
}

}  // namespace tqen::bench
