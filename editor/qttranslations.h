// SPDX-License-Identifier: MIT
#pragma once

class QCoreApplication;

namespace korrin::editor {

/**
 * Installs Qt's own texts (standard buttons, the file dialog) in the desktop's language.
 * The program's own texts are Russian whatever the desktop says. Returns whether a
 * translation for the system locale was found.
 */
bool loadQtTranslations(QCoreApplication& app);

}  // namespace korrin::editor
