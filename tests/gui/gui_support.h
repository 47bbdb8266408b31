#pragma once

#include <QApplication>
#include <QTimer>
#include <QtTest>

#include <functional>

#include "gui/main_window.h"
#include "gui/payer_dialog.h"
#include "gui/scripted_boxes.h"
#include "support/fake_run_host.h"

// A widget of the window or the dialog by its object name, the name it was given
// (docs/names.md). A name that is not there ends the test at once.
template <typename Widget>
Widget* widget(const QObject& parent, const char* name) {
    auto* found = parent.findChild<Widget*>(QString::fromLatin1(name));
    if (found == nullptr) {
        qFatal("no widget named %s", name);
    }
    return found;
}

// Runs `act` on the payer dialog as soon as it is shown modally.
inline void whenDialogOpens(std::function<void(PayerDialog*)> act) {
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<PayerDialog*>(QApplication::activeModalWidget());
        QVERIFY2(dialog != nullptr, "the payer dialog did not open");
        act(dialog);
    });
}

// Types text as the keyboard would, letters outside Latin-1 included.
inline void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// The window's seams as the GUI tests set them: scripted boxes and file dialog, a recording
// desktop, Lithuanian formats and a fixed day.
inline WindowServices testServices(ScriptedMessageBoxes& boxes, ScriptedFileDialog& files,
                                   RecordingDesktop& desktop, Date today = Date{2024, 3, 15}) {
    WindowServices services;
    services.boxes = &boxes;
    services.files = &files;
    services.desktop = &desktop;
    services.today = [today] { return today; };
    services.regional = [] { return lithuanianSettings(); };
    return services;
}
