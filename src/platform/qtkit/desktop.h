#pragma once

#include <QString>
#include <QStringList>

namespace mp {

// The desktop's own programs, found on the search path when they are wanted.
// The plant's "NotePad" is the first text editor found of: gnome-text-editor,
// gedit, mousepad, kate, kwrite, pluma, xed, featherpad, leafpad, notepad,
// xdg-open. Its "Calc" is the first calculator of: gnome-calculator,
// kcalc, galculator, mate-calc, qalculate-gtk, xcalc.
QString findTextEditor();
QString findCalculator();
// The first of `names` on the search path, or "" when none is there.
QString findProgram(const QStringList& names);

// Starts `program` with `args` without waiting for it; false when it cannot
// be started (or `program` is empty).
bool startProgram(const QString& program, const QStringList& args = {});

}  // namespace mp
