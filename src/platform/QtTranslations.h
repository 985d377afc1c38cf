#pragma once

class QCoreApplication;

// Qt's own Polish texts (Debian's qt6-translations-l10n): the print, page setup, file and colour
// dialogs, the standard buttons and the text boxes' context menus speak Polish, as the program
// does, whatever the desktop's language. False when the translations are not installed.
bool loadQtTranslations(QCoreApplication &app);
