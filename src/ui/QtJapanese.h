#pragma once

// Qt's own texts (the Yes/No buttons under a question, the file dialog) in Japanese, like the rest
// of the program.

class QCoreApplication;

namespace ui {

// Loads Qt's Japanese translations. False when the translation files
// are not installed (the texts stay English then).
bool installQtJapanese(QCoreApplication &app);

} // namespace ui
