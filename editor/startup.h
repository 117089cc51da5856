// SPDX-License-Identifier: MIT
#pragma once

class QApplication;

namespace korrin::editor {

/**
 * Prepares the application as the editor starts: its name and version, the desktop entry it
 * belongs to, and Qt's own texts (dialog buttons) in the desktop's language.
 */
void setUpApplication(QApplication& app);

}  // namespace korrin::editor
