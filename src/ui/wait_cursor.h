// The wait cursor over the program's windows while an object lives.
#pragma once

#include <QCursor>
#include <QGuiApplication>

namespace tarn {

class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Shows (true) or takes back (false) the wait cursor, for code that cannot
// keep an object across the wait.
inline void showWaitCursor(bool on) {
    if (on) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    } else {
        QGuiApplication::restoreOverrideCursor();
    }
}

}  // namespace tarn
