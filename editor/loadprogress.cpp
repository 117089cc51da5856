// SPDX-License-Identifier: MIT
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

std::optional<map::Grid> loadWithProgress(QWidget* parent, const QString& fileName,
                                          const map::Grid& mass) {
    std::atomic<bool> stop{false};
    std::atomic<std::uint64_t> bytesRead{0};
    map::Grid loaded = mass;
    std::future<bool> reading = std::async(std::launch::async, [&, path = fileName.toStdString()] {
        return map::LoadMap(path, loaded, [&](std::uint64_t bytes) {
            bytesRead.store(bytes, std::memory_order_relaxed);
            return !stop.load(std::memory_order_relaxed);
        });
    });
    const auto finished = [&] {
        return reading.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    };

    QTimer poll;
    poll.setInterval(kPollInterval);
    poll.start();
    {
        // Before the dialog is up the window repaints but takes no input, as in a short load.
        QEventLoop waiting;
        QElapsedTimer clock;
        clock.start();
        QObject::connect(&poll, &QTimer::timeout, &waiting, [&] {
            if (finished() || clock.elapsed() >= kProgressDelay) {
                waiting.quit();
            }
        });
        waiting.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (!finished()) {
        QProgressDialog progress(parent);  // with Qt's own Cancel button
        progress.setWindowTitle(QStringLiteral("Открытие файла"));
        progress.setLabelText(progressText(fileName, bytesRead));
        QElapsedTimer shown;
        shown.start();
        SpokenProgress spoken(progress.findChild<QLabel*>());
        spoken.update(progress.labelText(), shown.elapsed());
        progress.setRange(0, kPercent);
        progress.setAutoReset(false);  // a full bar is not the end: the reader still decodes
        const qint64 size = QFileInfo(fileName).size();
        bool completed = false;
        QObject::connect(&poll, &QTimer::timeout, &progress, [&] {
            const std::uint64_t bytes = bytesRead.load(std::memory_order_relaxed);
            if (finished()) {
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
        // Cancel, Escape and the close button all end the dialog before the reader is done.
        progress.exec();
        if (!completed) {
            stop = true;
            reading.wait();
            return std::nullopt;
        }
    }
    if (!reading.get()) {
        return std::nullopt;
    }
    return loaded;
}

}  // namespace korrin::editor
