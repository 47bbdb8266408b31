#pragma once

#include <string>

// The user's number and date formats, handed to the core by the front end (the window from
// the system locale, the command line from --locale). They apply only to what a user typed
// into a text cell (an amount "12,50", a date "15.01.2024"): number and date cells carry their
// values, whatever the settings.
struct RegionalSettings {
    std::string decimalSeparator = ",";
    std::string thousandsSeparator = "\xC2\xA0";  // no-break space
    // Qt-style pattern (d, dd, M, MM, yyyy); always with a four-digit year.
    std::string shortDateFormat = "yyyy-MM-dd";
    std::string dateSeparator = "-";
};

// Lithuanian settings: decimal comma, short date yyyy-MM-dd. Tests pin these.
inline RegionalSettings lithuanianSettings() {
    return RegionalSettings{};
}
