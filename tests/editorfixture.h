// SPDX-License-Identifier: MIT
#pragma once

#include <QAction>
#include <QTimer>
#include <QtTest>
#include <functional>
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

    editor::frmEdit* operator->() const { return window.get(); }

    template <class T>
    T* control(const char* name) const {
        return window->findChild<T*>(QLatin1String(name));
    }
    editor::PictureBox* picture() const { return control<editor::PictureBox>("Picture1"); }
    QTimer* timer() const { return control<QTimer>("Timer1"); }
    void trigger(const char* item) const { control<QAction>(item)->trigger(); }

    /** Waits for the next redraw tick. */
    bool waitForTick() const { return QSignalSpy(timer(), &QTimer::timeout).wait(2000); }

    std::unique_ptr<editor::frmEdit> window;
};

/**
 * Waits, from inside whatever modal loop starts next, for a visible modal widget of type T,
 * then runs `action` on it. A single zero-time shot can fire before the dialog exists, so this
 * polls. Keep it until the modal call returns; `done` tells whether the action ran.
 */
template <class T>
struct WhenModal {
    explicit WhenModal(std::function<void(T*)> action) {
        timer->callOnTimeout([this, action = std::move(action)] {
            auto* widget = qobject_cast<T*>(QApplication::activeModalWidget());
            if (widget && widget->isVisible() && !done) {
                done = true;
                timer->stop();
                action(widget);
            }
        });
        timer->start(10);
    }
    std::unique_ptr<QTimer> timer = std::make_unique<QTimer>();
    bool done = false;
};

}  // namespace korrin::test
