#include "platform/qtkit/desktop.h"

#include <QProcess>
#include <QStandardPaths>

namespace mp {

QString findProgram(const QStringList& names) {
    for (const QString& name : names) {
        QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty()) return path;
    }
    return QString();
}

QString findTextEditor() {
    return findProgram({"gnome-text-editor", "gedit", "mousepad", "kate", "kwrite", "pluma", "xed", "featherpad",
                        "leafpad", "notepad", "xdg-open"});
}

QString findCalculator() {
    return findProgram({"gnome-calculator", "kcalc", "galculator", "mate-calc", "qalculate-gtk", "xcalc"});
}

bool startProgram(const QString& program, const QStringList& args) {
    if (program.isEmpty()) return false;
    return QProcess::startDetached(program, args);
}

}  // namespace mp
