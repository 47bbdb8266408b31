#pragma once

class QCoreApplication;

// Qt's own texts (standard buttons, the file dialog, context menus) in Lithuanian whatever the
// system language, from Debian's qt6-translations-l10n (qt_lt.qm in Qt's translations folder).
// False when that translation is not installed: Qt's texts then stay English.
bool installQtLithuanian(QCoreApplication& application);
