#pragma once

// The program's texts in the user's language: Tovani's own translations and
// Qt's (the buttons of standard dialogs such as the colour chooser).

#include <QLocale>
#include <QStringList>

namespace translations {

// Where Tovani's .qm files are looked for, in order: share/tovani/translations
// beside the program's bin/ folder (an installed copy, or the build folder,
// which has the same layout), then under the desktop's data folders
// (XDG_DATA_DIRS). Needs the application object.
QStringList searchPath();

// Installs the translators for `locale` on the application object, in place
// of those of an earlier call; call again for a new application object.
// Returns whether Tovani's own texts were found for it.
bool install(const QLocale &locale = QLocale::system());

} // namespace translations
