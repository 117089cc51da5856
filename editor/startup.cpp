// SPDX-License-Identifier: MIT
#include "startup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

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

}  // namespace

void setUpApplication(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("Korrin Editor"));
    QApplication::setApplicationVersion(QString::fromLatin1(kVersion));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.korrin.Editor"));
    loadQtTranslations(app);
}

}  // namespace korrin::editor
