#include "devices/ui/device_test_dialog.h"

#include <QLabel>

#include "devices/device_ops.h"
#include "platform/qtkit/dialog.h"
#include "platform/qtkit/text.h"
#include "platform/runtime/cp874.h"

namespace mp {
namespace {

constexpr int kLines = 9;

// Shows each line as the test changes it. The test does not let the window
// system run meanwhile, so each label is painted at once.
class LineLabels : public DeviceTestObserver {
public:
    explicit LineLabels(std::vector<QLabel*> labels) : m_labels(std::move(labels)) {}
    void linesReset(const std::vector<std::string>& lines) override {
        for (size_t i = 0; i < lines.size() && i < m_labels.size(); ++i) show(static_cast<int>(i) + 1, lines[i]);
    }
    void lineDone(int line, const std::string& text) override { show(line, text); }

private:
    void show(int line, const std::string& text) {
        if (line < 1 || line > static_cast<int>(m_labels.size())) return;
        QLabel* l = m_labels[line - 1];
        l->setText(qs(text));
        l->repaint();
    }
    std::vector<QLabel*> m_labels;
};

}  // namespace

void runDeviceTest(QWidget* parent, const QFont& font) {
    DeviceTest test;  // CSAY lives as long as the screen
    KitDialog dlg(parent, T("  ส่วนทดสอบการควบคุม"), 400, 340, font);
    std::vector<QLabel*> labels;
    for (int k = 1; k <= kLines; ++k) {
        QWidget* w = dlg.addControl({5 + 15 * (k - 1), 20, 160, 15, ControlKind::Label, test.lines()[k - 1],
                                     {}, "line" + std::to_string(k)});
        labels.push_back(static_cast<QLabel*>(w));
    }
    LineLabels shown(labels);
    dlg.addControls({
        {145, 45, 40, 18, ControlKind::Button, T("เริ่ม"), [&test, &shown] { test.start(&shown); }, "start"},
        {145, 115, 40, 18, ControlKind::CancelButton, T("ออก"), {}, "exit"},
    });
    dlg.exec();
}

}  // namespace mp
