// SPDX-License-Identifier: MIT
#pragma once

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

namespace korrin::test {

/**
 * Waits, from inside whatever modal loop starts next, for a modal widget of type T, then
 * runs `action` on it. A single zero-time shot can fire before the dialog exists, so this
 * polls. Keep the handle until the modal call returns; done() tells whether it ran.
 */
template <class T>
class WhenModal {
public:
    explicit WhenModal(std::function<void(T*)> action)
        : timer_(std::make_unique<QTimer>()), done_(std::make_shared<bool>(false)) {
        timer_->setInterval(10);
        QObject::connect(timer_.get(), &QTimer::timeout,
                         [timer = timer_.get(), done = done_, action = std::move(action)] {
                             QPointer<QWidget> modal = QApplication::activeModalWidget();
                             if (auto* widget = qobject_cast<T*>(modal.data());
                                 widget && widget->isVisible()) {
                                 timer->stop();
                                 *done = true;
                                 action(widget);
                             }
                         });
        timer_->start();
    }

    bool done() const { return *done_; }

private:
    std::unique_ptr<QTimer> timer_;
    std::shared_ptr<bool> done_;
};

}  // namespace korrin::test
