#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTranslator>

namespace kiramo {

// The translation of the program's texts for a user whose locale has `language` and who reads
// `uiLanguages` (QLocale::uiLanguages(), the most wanted first): "en" when the first of them that
// the program has texts for is English, "" (the texts as written, in Japanese) when it is
// Japanese or when none is. The C/POSIX locale keeps the texts as written whatever LANGUAGE
// says, as gettext does.
[[nodiscard]] QString chooseTranslation(QLocale::Language language, const QStringList& uiLanguages);

// The translators of the running application: the program's own texts and Qt's (the buttons
// and texts of its dialogs, from the qtbase translations that the system ships). They are
// removed again when this object ends.
class Translations {
public:
    Translations() = default;
    ~Translations();
    Translations(const Translations&) = delete;
    Translations& operator=(const Translations&) = delete;

    // Installs the translations for `locale` in place of those installed before; returns the
    // program's translation chosen ("" or "en"). Widgets built before keep their texts.
    QString install(const QLocale& locale);
    // Back to the texts as written, Qt's included.
    void remove();

private:
    QTranslator m_program;
    QTranslator m_qt;
    bool m_installed = false;
};

}  // namespace kiramo
