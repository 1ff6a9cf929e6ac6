// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

QString installTranslations(const QLocale &locale)
{
    const QStringList languages = locale.uiLanguages();
    for (const QString &language : languages) {
        const QLocale candidate(language);
        if (candidate.language() == QLocale::English || candidate.language() == QLocale::C)
            break;
        auto *mellidor = new QTranslator(QCoreApplication::instance());
        if (!mellidor->load(candidate, QStringLiteral("mellidor"), QStringLiteral("_"),
                            QStringLiteral(":/i18n"))) {
            delete mellidor;
            continue;
        }
        // Qt's own texts in the same language, where Debian's package has them.
        auto *qt = new QTranslator(QCoreApplication::instance());
        if (qt->load(candidate, QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(qt);
        else
            delete qt;
        QCoreApplication::installTranslator(mellidor);
        return QLocale::languageToCode(candidate.language());
    }
    return QString();
}
