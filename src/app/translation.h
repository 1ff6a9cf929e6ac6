// SPDX-License-Identifier: GPL-3.0-or-later
// The program speaks the session's language: Qt's own texts (dialog buttons,
// file and print dialogs) and Mellidor's, when a translation exists.
#ifndef TRANSLATION_H
#define TRANSLATION_H

#include <QLocale>
#include <QString>

// Installs the translations for the first of the locale's interface languages
// that Mellidor has, on the running application. English, the language of the
// texts in the code, ends the search: "en:de" stays English. Returns the
// language installed ("de"), or an empty string when the texts stay as written.
QString installTranslations(const QLocale &locale = QLocale::system());

#endif
