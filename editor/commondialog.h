// SPDX-License-Identifier: MIT
// The file dialog used as a common dialog, and the folder it starts in.
#pragma once

#include <QString>
#include <QStringList>

class QFileDialog;
class QWidget;

namespace korrin::editor {

/**
 * Turns a filter text of description and pattern pairs separated by "|" into Qt name filters,
 * "Description(pattern)", keeping each description and pattern as written.
 */
QStringList nameFiltersFrom(const QString& filter);

/**
 * Whether a folder is one a user works in, such as a build tree or an unpacked copy: the user
 * can write to it, a user account owns it (not root nor a system account, whoever runs the
 * program) and it does not lie under /usr. `path` is the folder's canonical path.
 */
bool isWorkingFolder(const QString& path, uint ownerId, bool writable);

/**
 * The folder the file dialogs start in: the program's folder when it is a working folder,
 * else the documents folder, else the home folder.
 */
QString initialFolder(const QString& programFolder);

/**
 * One file dialog for both opening and saving, set up before each use like a common dialog:
 * a title, a filter, an initial folder, and the last confirmed file name, or none.
 */
class CommonDialog {
public:
    explicit CommonDialog(QWidget* parent);

    void setDialogTitle(const QString& title) { dialogTitle_ = title; }
    void setFilter(const QString& filter) { filter_ = filter; }
    void setInitDir(const QString& folder) { initDir_ = folder; }
    /** The last confirmed file's full path; empty until a file is chosen. */
    const QString& fileName() const { return fileName_; }

    /** Shows the dialog for opening; true when the user confirmed a file. */
    bool showOpen();
    /** Shows the dialog for saving; true when the user confirmed a file. */
    bool showSave();

private:
    QFileDialog* dialog();
    bool show(bool saving);

    QWidget* parent_;
    QFileDialog* dialog_ = nullptr;
    QString dialogTitle_;
    QString filter_;
    QString initDir_;
    QString fileName_;
};

}  // namespace korrin::editor
