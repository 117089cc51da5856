// SPDX-License-Identifier: MIT
#pragma once

#include <QAction>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTimer>
#include <QToolBar>
#include <QtTest>
#include <memory>

#include "editor/frmedit.h"
#include "editor/picturebox.h"

namespace korrin::test {

/** A shown editor window and its named controls. */
struct Editor {
    Editor() : window(std::make_unique<editor::frmEdit>()) {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    editor::frmEdit& operator*() const { return *window; }
    editor::frmEdit* operator->() const { return window.get(); }

    template <class T>
    T* control(const char* name) const {
        return window->findChild<T*>(QLatin1String(name));
    }
    editor::PictureBox* picture() const { return control<editor::PictureBox>("Picture1"); }
    QAction* item(const char* name) const { return control<QAction>(name); }

    /** Waits for the next redraw tick. */
    bool waitForTick() const {
        QSignalSpy ticks(control<QTimer>("Timer1"), &QTimer::timeout);
        return ticks.wait(2000);
    }

    /** The 32 x 32 pixels of field cell (x, y), as Picture1 shows them. */
    QImage cell(int x, int y) const {
        return picture()->image().copy((x - 1) * 32, (y - 1) * 32, 32, 32);
    }

    /** The tile picture for code c, as the assets hold it. */
    static QImage tile(int code) {
        return QImage(QStringLiteral(":/tiles/tile%1.xpm").arg(code + 1, 2, 10, QLatin1Char('0')))
            .convertToFormat(QImage::Format_RGB32);
    }

    std::unique_ptr<editor::frmEdit> window;
};

}  // namespace korrin::test
