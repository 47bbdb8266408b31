#pragma once

#include <QLocale>

#include "invoices/regional_settings.h"

// The user's number and date formats, taken from a Qt locale. The short date format always
// carries a four-digit year (Qt's short formats use two, e.g. M/d/yy), so that a date cell's
// text reads back to the same day under any locale.
RegionalSettings regionalSettingsFrom(const QLocale& locale);
