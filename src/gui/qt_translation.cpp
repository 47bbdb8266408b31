#include "gui/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

// Debian 12 ships Lithuanian only as qt_lt.qm, made in Qt 4's days: it still has the file
// dialog's texts under their contexts, but Qt 6 asks for some of the same texts under contexts
// of its own. Those are looked up where Qt 4 kept them.
const char* qt4ContextOf(const char* context) {
    if (qstrcmp(context, "QPlatformTheme") == 0) {
        return "QDialogButtonBox";  // the standard buttons: "&Yes", "Cancel", ...
    }
    if (qstrcmp(context, "QAbstractFileIconProvider") == 0) {
        return "QFileDialog";  // the file dialog's types: "Folder", "Drive", ...
    }
    return nullptr;
}

class QtLithuanian : public QTranslator {
  public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override {
        QString text = QTranslator::translate(context, sourceText, disambiguation, n);
        if (const char* qt4Context = qt4ContextOf(context); text.isEmpty() && qt4Context) {
            text = QTranslator::translate(qt4Context, sourceText, disambiguation, n);
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
