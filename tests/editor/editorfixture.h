// SPDX-License-Identifier: MIT
// What the editor's tests share: a shown window with its named controls, a player of mouse
// and key scripts, and an answerer of modal windows.
#pragma once

#include <QAction>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QToolBar>
#include <QtTest>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

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
    QString readOut() const { return control<QLabel>("Panel1")->text(); }
    QWidget* button(int k) const {
        auto* toolbar = control<QToolBar>("Toolbar1");
        return toolbar->widgetForAction(toolbar->actions()[k - 1]);
    }
    /** What Picture1 shows on screen. */
    QImage shown() const {
        return picture()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    /**
     * Plays a script of mouse events and keys, separated by spaces: N clicks palette button N;
     * Lx,y Rx,y and Cx,y press the left, right and middle button at pixel (x, y) of the field;
     * Mx,y moves there with the buttons pressed so far held; "." releases them; anything else
     * is a key, such as Tab, Shift+Right or Space, pressed on whatever has the focus.
     */
    void play(const QString& script) const {
        Qt::MouseButtons held;
        for (const QString& step : script.split(' ', Qt::SkipEmptyParts)) {
            const QStringList xy = step.mid(1).split(',');
            const QPoint at = xy.size() == 2 ? QPoint(xy[0].toInt(), xy[1].toInt()) : QPoint();
            const Qt::MouseButton press = xy.size() != 2   ? Qt::NoButton
                                          : step[0] == 'L' ? Qt::LeftButton
                                          : step[0] == 'R' ? Qt::RightButton
                                          : step[0] == 'C' ? Qt::MiddleButton
                                                           : Qt::NoButton;
            if (step[0].isDigit()) {
                QTest::mouseClick(button(step.toInt()), Qt::LeftButton);
            } else if (press != Qt::NoButton) {
                QTest::mousePress(picture(), press, {}, at);
                held |= press;
            } else if (step[0] == 'M' && xy.size() == 2) {
                // QTest moves the pointer only while a button is held; a mouse sends moves always.
                QMouseEvent move(QEvent::MouseMove, at, picture()->mapToGlobal(at), Qt::NoButton,
                                 held, {});
                QApplication::sendEvent(picture(), &move);
            } else if (step == ".") {
                for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
                    if (held.testFlag(b)) {
                        QTest::mouseRelease(picture(), b);
                    }
                }
                held = {};
            } else {
                const QKeyCombination key = QKeySequence::fromString(step)[0];
                QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
            }
        }
    }

    /** Waits for the next redraw tick. */
    bool waitForTick() const { return QSignalSpy(timer(), &QTimer::timeout).wait(2000); }

    std::unique_ptr<editor::frmEdit> window;
};

// A grid from 13 rows of 13 digits, top to bottom, separated by spaces; the border stays 0.
inline map::Grid gridOf(const QString& text) {
    const QStringList rows = text.split(' ');
    map::Grid mass;
    for (int y = 1; y <= 13; ++y) {
        for (int x = 1; x <= 13; ++x) {
            mass(x, y) = static_cast<map::Byte>(rows[y - 1][x - 1].digitValue());
        }
    }
    return mass;
}

/** The message every modal window that no test expected is reported with. */
inline constexpr char kUnexpectedModal[] = "unexpected modal window";

/**
 * Answers modal windows from inside whatever modal loop shows them. A single zero-time shot can
 * fire before a dialog exists, so this polls. Each expected window is answered once by the
 * first unanswered expectation of its type; any other modal window is reported with a warning
 * (which the tests turn into a failure) and rejected at once, so that a test never waits out
 * its time limit on a window nobody answers. Several may be alive at once: the oldest polls for
 * all of them.
 */
class Modals {
public:
    Modals() {
        live().push_back(this);
        timer_->callOnTimeout([this] { poll(); });
        timer_->start(10);
    }
    ~Modals() { std::erase(live(), this); }
    Modals(const Modals&) = delete;
    Modals& operator=(const Modals&) = delete;

    /** Answers the next modal window of type T with `action`. */
    template <class T>
    Modals& expect(std::function<void(T*)> action, bool required = true) {
        expected_.push_back({[](QWidget* widget) { return qobject_cast<T*>(widget) != nullptr; },
                             [action](QWidget* widget) { action(qobject_cast<T*>(widget)); },
                             required});
        return *this;
    }
    /** Lets a modal window of type T come up, or not, and leaves it to its own end. */
    template <class T>
    Modals& allow() {
        return expect<T>([](T*) {}, false);
    }

    /** True once every required window has been answered. */
    bool allAnswered() const {
        return std::all_of(expected_.begin(), expected_.end(),
                           [](const Expected& e) { return e.done || !e.required; });
    }

private:
    struct Expected {
        std::function<bool(QWidget*)> matches;
        std::function<void(QWidget*)> answer;
        bool required = true;
        bool done = false;
    };

    static std::vector<Modals*>& live() {
        static std::vector<Modals*> all;
        return all;
    }

    void poll() {
        if (live().front() != this) {
            return;
        }
        if (answered_ != nullptr && !answered_->isVisible()) {
            answered_ = nullptr;
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible() || modal == answered_) {
            return;
        }
        // One showing of a window is answered once; the file dialog is shown again and again.
        answered_ = modal;
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            QObject::connect(
                dialog, &QDialog::finished, timer_.get(), [] { answered_ = nullptr; },
                Qt::SingleShotConnection);
        }
        for (Modals* modals : live()) {
            for (Expected& expected : modals->expected_) {
                if (!expected.done && expected.matches(modal)) {
                    expected.done = true;
                    // Answered from the event loop, not from this timer's own call, so that
                    // the timer goes on polling in any modal loop the answer starts.
                    QMetaObject::invokeMethod(
                        timer_.get(),
                        [answer = expected.answer, window = QPointer<QWidget>(modal)] {
                            if (window != nullptr) {
                                answer(window);
                            }
                        },
                        Qt::QueuedConnection);
                    return;
                }
            }
        }
        const auto* box = qobject_cast<QMessageBox*>(modal);
        qWarning("%s: %s \"%s\" %s", kUnexpectedModal, modal->metaObject()->className(),
                 qPrintable(modal->windowTitle()), box ? qPrintable(box->text()) : "");
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
    }

    std::vector<Expected> expected_;
    static inline QPointer<QWidget> answered_;
    std::unique_ptr<QTimer> timer_ = std::make_unique<QTimer>();
};

}  // namespace korrin::test
