// SPDX-License-Identifier: MIT
// The editor's start: the window system, the application, the one window.
#include <QApplication>

#include "frmedit.h"
#include "startup.h"

int main(int argc, char* argv[]) {
    // The editor takes no command line: Qt sees only the program's name.
    int qtArgc = argc > 0 ? 1 : 0;
    korrin::editor::prepareWindowSystem();
    QApplication app(qtArgc, argv);
    korrin::editor::setUpApplication(app);

    korrin::editor::frmEdit window;
    window.show();
    return QApplication::exec();
}
