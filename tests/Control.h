#pragma once

#include <QObject>
#include <QString>

// A window's control by its object name, as the language files and a screen reader reach it. A
// control that is not there ends the test program at once, named.
template <class T> T* control(const QObject* window, const QString& name)
{
    T* found = window->findChild<T*>(name);
    if (!found)
        qFatal("no control named %s", qPrintable(name));
    return found;
}
