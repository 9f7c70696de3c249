#pragma once

#include "MessageScript.h"

#include <QAbstractButton>
#include <QString>
#include <QTest>
#include <QWidget>

// A screen's controls reached by their names in a test, as a user finds them on the screen; a
// missing control ends the test at once with its name.
template <class T> T* ctl(QWidget* screen, const QString& name)
{
    T* control = screen->findChild<T*>(name);
    if (!control)
        qFatal("no control %s", qPrintable(name));
    return control;
}

template <class T> T* ctl(QWidget* screen, const char* name)
{
    return ctl<T>(screen, QString::fromLatin1(name));
}

template <class T> T* ctl(QWidget* screen, const char16_t* name)
{
    return ctl<T>(screen, QString::fromUtf16(name));
}

// Clicks a button of a screen with the mouse.
inline void click(QWidget* screen, const QString& button)
{
    QTest::mouseClick(ctl<QAbstractButton>(screen, button), Qt::LeftButton);
}

inline void click(QWidget* screen, const char* button)
{
    click(screen, QString::fromLatin1(button));
}

// Every message box the test's script expected was asked, and no other.
#define VERIFY_BOXES(app)                                                                                              \
    do {                                                                                                               \
        QString problems;                                                                                              \
        QVERIFY2((app).messages().verifyDone(&problems), qPrintable(problems));                                        \
    } while (false)
