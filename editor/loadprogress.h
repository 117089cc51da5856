// SPDX-License-Identifier: MIT
// A map load on a worker thread, with a progress dialog when it takes long.
#pragma once

#include <QString>
#include <optional>

#include "map/grid.h"

class QWidget;

namespace korrin::editor {

/**
 * What a screen reader hears of a text that changes many times a second, such as a progress
 * label's: the text becomes `widget`'s accessible name (which makes a label stop announcing
 * its own changes) at most once a second, and at the end.
 */
class SpokenProgress {
public:
    explicit SpokenProgress(QWidget* widget) : widget_(widget) {}

    /** The text as of `now`, in milliseconds on any clock that only goes forward. */
    void update(const QString& text, qint64 now);
    /** The last text, said whenever it came. */
    void finish(const QString& text);

private:
    static constexpr qint64 kInterval = 1000;  // milliseconds

    QWidget* widget_;
    qint64 lastSaid_ = 0;
    bool said_ = false;
};

/**
 * Reads fileName into a copy of `mass` on a worker thread while the window keeps repainting.
 * A load that runs longer than half a second gets a modal progress dialog over `parent` with
 * the file's name, the bytes read and Cancel. Returns the loaded grid, or nothing when the
 * user cancelled; the reader's errors are thrown on the calling thread.
 */
std::optional<map::Grid> loadWithProgress(QWidget* parent, const QString& fileName,
                                          const map::Grid& mass);

}  // namespace korrin::editor
