#include "app/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace kiramo {

QString chooseTranslation(QLocale::Language language, const QStringList& uiLanguages) {
    if (language == QLocale::C) {
        return QString();
    }
    for (const QString& name : uiLanguages) {
        // "en", "en-US", "en_GB", "en-Latn-US": the language is what comes before the first
        // separator.
        const QString code = name.section(u'-', 0, 0).section(u'_', 0, 0).toLower();
        if (code == QLatin1String("en")) {
            return QStringLiteral("en");
        }
        if (code == QLatin1String("ja")) {
            return QString();
        }
    }
    return QString();
}

Translations::~Translations() {
    remove();
}

QString Translations::install(const QLocale& locale) {
    remove();
    QString chosen = chooseTranslation(locale.language(), locale.uiLanguages());
    if (!chosen.isEmpty()) {
        if (m_program.load(QStringLiteral(":/i18n/kiramo_%1.qm").arg(chosen))) {
            QCoreApplication::installTranslator(&m_program);
        } else {
            chosen.clear();
        }
    }
    // Qt's own texts in the first of the user's languages that the system has them in.
    if (locale.language() != QLocale::C &&
        m_qt.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                  QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&m_qt);
    }
    m_installed = true;
    return chosen;
}

void Translations::remove() {
    if (!m_installed) {
        return;
    }
    QCoreApplication::removeTranslator(&m_program);
    QCoreApplication::removeTranslator(&m_qt);
    m_installed = false;
}

}  // namespace kiramo
