// SPDX-License-Identifier: MIT
#include "commondialog.h"

#include <QFileDialog>

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

CommonDialog::CommonDialog(QWidget* parent) : dialog_(new QFileDialog(parent)) {
    dialog_->setObjectName(QStringLiteral("cDlg"));
    // Qt's own dialog behaves the same on every desktop and under test.
    dialog_->setOption(QFileDialog::DontUseNativeDialog);
}

bool CommonDialog::showOpen() {
    return show(false);
}

bool CommonDialog::showSave() {
    return show(true);
}

bool CommonDialog::show(bool saving) {
    // The file mode stays the dialog's default: a typed name goes to the reader, which
    // reports a missing file itself.
    dialog_->setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog_->setWindowTitle(dialogTitle_);
    const QStringList nameFilters = nameFiltersFrom(filter_);
    dialog_->setNameFilters(nameFilters);
    if (!nameFilters.isEmpty()) {
        dialog_->selectNameFilter(nameFilters.first());
    }
    dialog_->setDirectory(initDir_);
    dialog_->selectFile(fileName_);
    if (dialog_->exec() != QDialog::Accepted || dialog_->selectedFiles().isEmpty()) {
        return false;
    }
    fileName_ = dialog_->selectedFiles().constFirst();
    return true;
}

}  // namespace korrin::editor
