// SPDX-License-Identifier: MIT
#include <QApplication>

#include "frmedit.h"
#include "qttranslations.h"
#include "version.h"

int main(int argc, char* argv[]) {
    // The editor takes no command line: Qt sees only the program's name.
    int qtArgc = argc > 0 ? 1 : 0;
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("Korrin Editor"));
    QApplication::setApplicationVersion(QString::fromLatin1(korrin::kVersion));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.korrin.Editor"));
    korrin::editor::loadQtTranslations(app);

    korrin::editor::frmEdit window;
    window.show();
    return QApplication::exec();
}
