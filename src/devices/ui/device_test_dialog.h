#pragma once

#include <QFont>

class QWidget;

namespace mp {

// IOTEST: the device test screen. Nine lines, one per indicator slot and one
// for the board; the start button runs the test (IOSTART), each line showing
// its outcome as soon as its exchange is over; the exit button closes it.
void runDeviceTest(QWidget* parent, const QFont& font);

}  // namespace mp
