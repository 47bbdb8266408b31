#pragma once

#include <QApplication>
#include <QTimer>
#include <QtTest>

#include <functional>

#include "payers/F_naujas_xml.h"

// Runs `act` on the payer dialog as soon as it is shown modally.
inline void whenDialogOpens(std::function<void(Tfrm_naujas_xml*)> act) {
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<Tfrm_naujas_xml*>(QApplication::activeModalWidget());
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
