#include "platform/forms/Desktop.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QScreen>
#include <QStandardPaths>
#include <QTranslator>
#include <QWidget>

namespace tqen::forms {

namespace {
QString g_placesFile;
}  // namespace

bool installQtTranslation() {
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void setDesktopIdentity(const QString &desktopFileName, const QIcon &icon) {
    QGuiApplication::setDesktopFileName(desktopFileName);
    QApplication::setWindowIcon(icon);
}

QIcon programIcon() { return QIcon::fromTheme(QStringLiteral("tqen"), QIcon(QStringLiteral(":/desktop/tqen.svg"))); }

void rememberWindowPlaces(const QString &file) { g_placesFile = file; }

QString windowPlacesFile() {
    const QString override = qEnvironmentVariable("TQEN_WINDOWS");
    if (!override.isEmpty()) return override;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/tqen/windows.conf");
}

QString placesFile() { return g_placesFile; }

void fitIntoScreen(QWidget *window) {
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect free = screen->availableGeometry();
    // The frame the window manager adds is not known before the window is
    // shown; the part of it above and beside the window is left free.
    const QMargins frame = window->frameGeometry().isValid() && window->isVisible()
                               ? QMargins(window->geometry().left() - window->frameGeometry().left(),
                                          window->geometry().top() - window->frameGeometry().top(),
                                          window->frameGeometry().right() - window->geometry().right(),
                                          window->frameGeometry().bottom() - window->geometry().bottom())
                               : QMargins();
    fitInto(window, free.marginsRemoved(frame));
}

void fitInto(QWidget *window, const QRect &room) {
    const QSize size = window->size().boundedTo(room.size()).expandedTo(window->minimumSize());
    if (size != window->size()) window->resize(size);
    QRect placed(window->pos(), size);
    if (placed.right() > room.right()) placed.moveRight(room.right());
    if (placed.bottom() > room.bottom()) placed.moveBottom(room.bottom());
    if (placed.left() < room.left()) placed.moveLeft(room.left());
    if (placed.top() < room.top()) placed.moveTop(room.top());
    if (placed.topLeft() != window->pos()) window->move(placed.topLeft());
}

}  // namespace tqen::forms
