// SPDX-License-Identifier: MIT
// The smallest comparable program: a Qt main window with a menu bar, a toolbar, a status bar
// and one 200 ms timer. The start-up benchmark measures the editor against it.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare Window"));
    window.menuBar()->addMenu(QStringLiteral("File"))->addAction(QStringLiteral("Exit"));
    window.addToolBar(QStringLiteral("Tools"))->addAction(QStringLiteral("Tool"));
    window.statusBar()->showMessage(QString());
    window.resize(429, 503);
    QTimer timer;
    timer.start(200);
    window.show();
    return QApplication::exec();
}
