// SPDX-License-Identifier: MIT
// A map load on a worker thread, with a progress dialog when it takes long.
#include "loadprogress.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QProgressDialog>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <future>

#include "map/mapfile.h"

namespace korrin::editor {

namespace {

constexpr int kProgressDelay = 500;  // milliseconds before the dialog comes up
constexpr int kPollInterval = 20;    // milliseconds
constexpr int kPercent = 100;

QString progressText(const QString& fileName, std::uint64_t bytesRead) {
    return QStringLiteral("Чтение файла «%1»\nПрочитано байт: %2")
        .arg(QFileInfo(fileName).fileName(),
             QLocale(QLocale::Russian).toString(static_cast<qulonglong>(bytesRead)));
}

}  // namespace

void SpokenProgress::update(const QString& text, qint64 now) {
    if (!said_ || now - lastSaid_ >= kInterval) {
        widget_->setAccessibleName(text);
        lastSaid_ = now;
        said_ = true;
    }
}

void SpokenProgress::finish(const QString& text) {
    widget_->setAccessibleName(text);
}

namespace {

/**
 * One load of a map file into a copy of the grid, on a worker thread of its own. The worker
 * writes `loaded_` and `bytesRead_` and reads `stop_`; the event thread reads `bytesRead_`,
 * sets `stop_`, and touches `loaded_` only once the worker is done. The destructor waits for
 * the worker, which the future's own destructor does.
 */
class BackgroundLoad {
public:
    BackgroundLoad(const QString& fileName, const map::Grid& mass)
        : loaded_(mass),
          reading_(std::async(std::launch::async, [this, path = fileName.toStdString()] {
              return map::LoadMap(path, loaded_, [this](std::uint64_t bytes) {
                  bytesRead_.store(bytes, std::memory_order_relaxed);
                  return !stop_.load(std::memory_order_relaxed);
              });
          })) {}

    bool finished() const {
        return reading_.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    }
    std::uint64_t bytesRead() const { return bytesRead_.load(std::memory_order_relaxed); }
    /** Asks the reader to stop and waits until it has. */
    void cancel() {
        stop_ = true;
        reading_.wait();
    }
    /** The loaded grid, or nothing when the reader stopped; rethrows the reader's error. */
    std::optional<map::Grid> result() {
        return reading_.get() ? std::optional<map::Grid>(loaded_) : std::nullopt;
    }

private:
    map::Grid loaded_;
    std::atomic<bool> stop_{false};
    std::atomic<std::uint64_t> bytesRead_{0};
    std::future<bool> reading_;  // last: started once the rest exists
};

// Until the dialog's delay is over the window repaints but takes no input, as in a short load.
void waitBriefly(const BackgroundLoad& load, QTimer& poll) {
    QEventLoop waiting;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&poll, &QTimer::timeout, &waiting, [&] {
        if (load.finished() || clock.elapsed() >= kProgressDelay) {
            waiting.quit();
        }
    });
    waiting.exec(QEventLoop::ExcludeUserInputEvents);
}

// The progress dialog until the load ends (true) or the user ends the dialog (false):
// Cancel, Escape and the close button all do.
bool showProgress(QWidget* parent, const QString& fileName, const BackgroundLoad& load,
                  QTimer& poll) {
    QProgressDialog progress(parent);  // with Qt's own Cancel button
    progress.setWindowTitle(QStringLiteral("Открытие файла"));
    progress.setLabelText(progressText(fileName, load.bytesRead()));
    progress.setRange(0, kPercent);
    progress.setAutoReset(false);  // a full bar is not the end: the reader still decodes
    QElapsedTimer shown;
    shown.start();
    SpokenProgress spoken(progress.findChild<QLabel*>());
    spoken.update(progress.labelText(), shown.elapsed());
    const qint64 size = QFileInfo(fileName).size();
    bool completed = false;
    QObject::connect(&poll, &QTimer::timeout, &progress, [&] {
        const std::uint64_t bytes = load.bytesRead();
        if (load.finished()) {
            completed = true;
            spoken.finish(progressText(fileName, bytes));
            progress.accept();
            return;
        }
        progress.setLabelText(progressText(fileName, bytes));
        spoken.update(progress.labelText(), shown.elapsed());
        if (size > 0) {
            progress.setValue(static_cast<int>(std::min<std::uint64_t>(
                bytes * kPercent / static_cast<std::uint64_t>(size), kPercent)));
        }
    });
    progress.exec();
    return completed;
}

}  // namespace

std::optional<map::Grid> loadWithProgress(QWidget* parent, const QString& fileName,
                                          const map::Grid& mass) {
    BackgroundLoad load(fileName, mass);
    QTimer poll;
    poll.setInterval(kPollInterval);
    poll.start();
    waitBriefly(load, poll);
    if (!load.finished() && !showProgress(parent, fileName, load, poll)) {
        load.cancel();
        return std::nullopt;
    }
    return load.result();
}

}  // namespace korrin::editor
