// Runs one floppy restore with every message box answered OK:
//   tqen_restore_child DATA_FOLDER/ DRIVES_CONF
// Exits 0 when the restore finished.
#include "core/Globals.h"
#include "maintenance/FddBackup.h"
#include "platform/forms/ScriptedInteraction.h"

#include <QCoreApplication>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) return 2;
    tqen::G().DataFolder = QString::fromLocal8Bit(argv[1]);
    qputenv("TQEN_DRIVES", argv[2]);
    tqen::forms::ScriptedInteraction operatorAtTheScreen;
    tqen::forms::setInteraction(&operatorAtTheScreen);
    tqen::maintenance::FddBackup backup(QStringLiteral("A:"), nullptr);
    return backup.RestoreTQ().ok() ? 0 : 1;
}
