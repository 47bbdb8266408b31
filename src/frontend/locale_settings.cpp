#include "frontend/locale_settings.h"

#include <QRegularExpression>

RegionalSettings regionalSettingsFrom(const QLocale& locale) {
    RegionalSettings settings;
    settings.decimalSeparator = locale.decimalPoint().toStdString();
    settings.thousandsSeparator = locale.groupSeparator().toStdString();
    QString format = locale.dateFormat(QLocale::ShortFormat);
    // A lone "yy" becomes "yyyy"; a "yyyy" stays.
    static const QRegularExpression twoDigitYear(QStringLiteral("(?<!y)yy(?!y)"));
    format.replace(twoDigitYear, QStringLiteral("yyyy"));
    settings.shortDateFormat = format.toStdString();
    // The separator is the first character of the pattern that is not a date letter.
    settings.dateSeparator = "/";
    for (const QChar c : format) {
        if (!c.isLetter()) {
            settings.dateSeparator = QString(c).toStdString();
            break;
        }
    }
    return settings;
}
