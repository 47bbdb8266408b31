#include "gui/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

// Debian 12 ships Lithuanian only as qt_lt.qm, made in Qt 4's days: it still has the file
// dialog's texts under their contexts, but Qt 6 asks for the standard buttons' texts ("&Yes",
// "Cancel", ...) under "QPlatformTheme", where Qt 4 asked under "QDialogButtonBox". The same
// texts are looked up there.
class QtLithuanian : public QTranslator {
  public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override {
        QString text = QTranslator::translate(context, sourceText, disambiguation, n);
        if (text.isEmpty() && qstrcmp(context, "QPlatformTheme") == 0) {
            text = QTranslator::translate("QDialogButtonBox", sourceText, disambiguation, n);
        }
        return text;
    }
};

}  // namespace

bool installQtLithuanian(QCoreApplication& application) {
    auto* translator = new QtLithuanian(&application);
    if (!translator->load(QStringLiteral("qt_lt"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
