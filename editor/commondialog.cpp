// SPDX-License-Identifier: MIT
// The file dialog used as a common dialog, and the folder it starts in.
#include "commondialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QStandardPaths>

namespace korrin::editor {

QStringList nameFiltersFrom(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList nameFilters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts[i + 1];
        // "*.*" matches every name where the filter comes from; Qt's "*.*" needs a dot.
        if (pattern.trimmed() == QLatin1String("*.*")) {
            pattern = QStringLiteral("*");
        }
        nameFilters << parts[i] + QLatin1Char('(') + pattern + QLatin1Char(')');
    }
    return nameFilters;
}

bool isWorkingFolder(const QString& path, uint ownerId, bool writable) {
    // Debian's range of user accounts; root and the system accounts own installed programs.
    constexpr uint kFirstUser = 1000;
    constexpr uint kLastUser = 59999;
    const bool installed = path == QLatin1String("/usr") || path.startsWith(QLatin1String("/usr/"));
    return writable && ownerId >= kFirstUser && ownerId <= kLastUser && !installed;
}

QString initialFolder(const QString& programFolder) {
    const QFileInfo program(programFolder);
    if (program.isDir() &&
        isWorkingFolder(program.canonicalFilePath(), program.ownerId(), program.isWritable())) {
        return programFolder;
    }
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir()) {
        return documents;
    }
    return QDir::homePath();
}

CommonDialog::CommonDialog(QWidget* parent) : parent_(parent) {}

QFileDialog* CommonDialog::dialog() {
    // Made on first use: a file dialog is costly to build and many sessions never open one.
    if (dialog_ == nullptr) {
        dialog_ = new QFileDialog(parent_);
        dialog_->setObjectName(QStringLiteral("cDlg"));
        // Qt's own dialog behaves the same on every desktop and under test.
        dialog_->setOption(QFileDialog::DontUseNativeDialog);
    }
    return dialog_;
}

bool CommonDialog::showOpen() {
    return show(false);
}

bool CommonDialog::showSave() {
    return show(true);
}

bool CommonDialog::show(bool saving) {
    QFileDialog* fileDialog = dialog();
    // The file mode stays the dialog's default: a typed name goes to the reader, which
    // reports a missing file itself.
    fileDialog->setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    fileDialog->setWindowTitle(dialogTitle_);
    const QStringList nameFilters = nameFiltersFrom(filter_);
    fileDialog->setNameFilters(nameFilters);
    if (!nameFilters.isEmpty()) {
        fileDialog->selectNameFilter(nameFilters.first());
    }
    fileDialog->setDirectory(initDir_);
    if (fileName_.isEmpty()) {
        // selectFile() ignores an empty name, so a name typed before a Cancel would stay.
        if (auto* nameEdit = fileDialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
            nameEdit->clear();
        }
    } else {
        fileDialog->selectFile(fileName_);
    }
    if (fileDialog->exec() != QDialog::Accepted || fileDialog->selectedFiles().isEmpty()) {
        return false;
    }
    fileName_ = fileDialog->selectedFiles().constFirst();
    return true;
}

}  // namespace korrin::editor
