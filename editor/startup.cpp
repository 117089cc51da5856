// SPDX-License-Identifier: MIT
// What the editor sets up as it starts: the window system, Qt's texts, the window's place.
#include "startup.h"

#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>

#include "version.h"

namespace korrin::editor {

namespace {

// The program's own texts are Russian whatever the desktop says; Qt's follow the desktop.
void loadQtTranslations(QApplication& app) {
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
    } else {
        delete translator;
    }
}

// Messages while Qt looks for a window system: held back, for when none starts, the user gets
// one line instead of Qt's account of every plugin it tried.
bool holdingBack = false;
QtMessageHandler qtHandler = nullptr;
QList<std::tuple<QtMsgType, QString, QString>> heldBack;

void holdBack(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg) {
        heldBack.append({type, QString::fromLatin1(context.category), message});
        return;
    }
    const char* line =
        noWindowSystemLine(!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"),
                           waylandPluginInstalled(QLibraryInfo::path(QLibraryInfo::PluginsPath)));
    std::fprintf(stderr, "%s\n", line);
    std::_Exit(1);
}

}  // namespace

QByteArray platformOrder(bool platformSet, bool display, bool waylandDisplay) {
    if (platformSet) {
        return {};
    }
    if (display) {
        return "xcb;wayland";
    }
    return waylandDisplay ? "wayland;xcb" : QByteArray();
}

bool waylandPluginInstalled(const QString& pluginsFolder) {
    return QFileInfo::exists(pluginsFolder + QStringLiteral("/platforms/libqwayland-generic.so"));
}

const char* noWindowSystemLine(bool wayland, bool pluginInstalled) {
    return wayland && !pluginInstalled
               ? "korrin-editor: cannot open a window on Wayland: install the package "
                 "qt6-wayland"
               : "korrin-editor: cannot open a window: no X11 display or Wayland "
                 "compositor was reached (for Wayland, install the package qt6-wayland)";
}

void prepareWindowSystem() {
    const QByteArray order = platformOrder(qEnvironmentVariableIsSet("QT_QPA_PLATFORM"),
                                           !qEnvironmentVariableIsEmpty("DISPLAY"),
                                           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"));
    if (!order.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", order);
    }
    qtHandler = qInstallMessageHandler(holdBack);
    holdingBack = true;
}

QPoint windowPosition(const QRect& available, const QSize& size) {
    if (size.width() > available.width() || size.height() > available.height()) {
        return available.topLeft();
    }
    return available.center() - QRect(QPoint(), size).center();
}

void setUpApplication(QApplication& app) {
    // A window system started: what Qt said on the way goes out as it would have.
    if (holdingBack) {
        holdingBack = false;
        qInstallMessageHandler(qtHandler);
        for (const auto& [type, category, message] : std::as_const(heldBack)) {
            const QByteArray name = category.toLatin1();
            const QMessageLogContext context(nullptr, 0, nullptr, name.constData());
            qtHandler(type, context, message);
        }
        heldBack.clear();
    }
    QApplication::setApplicationName(QStringLiteral("Korrin Editor"));
    QApplication::setApplicationVersion(QString::fromLatin1(kVersion));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.korrin.Editor"));
    loadQtTranslations(app);
}

}  // namespace korrin::editor
