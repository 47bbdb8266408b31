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
    // Right-to-left and left-to-right marks (Arabic, Persian short dates) only steer the display;
    // nobody types them, and taken for the separator they made every typed date unreadable.
    for (const char16_t mark : {u'\u200E', u'\u200F', u'\u061C'}) {
        format.remove(QChar(mark));
    }
    settings.shortDateFormat = format.toStdString();
    // The separator is the first character of the pattern that is not a date letter.
    QString separator = QStringLiteral("/");
    for (const QChar c : format) {
        if (!c.isLetter()) {
            separator = c;
            break;
        }
    }
    settings.dateSeparator = separator.toStdString();
    return settings;
}
