#include "platform/qtkit/fonts.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "platform/qtkit/text.h"

namespace mp {
namespace {

constexpr const char* kScreenFace = "Loma";
constexpr const char* kPrintSerifFace = "Norasi";
constexpr const char* kPrintFace = "Kinnari";

// Windows faces whose letters carry serifs: printed with Norasi.
bool isSerifFace(const QString& face) {
    static const char* const serif[] = {"angsana", "eucrosia", "times", "cordia new bold"};
    QString lower = face.toLower();
    return std::any_of(std::begin(serif), std::end(serif),
                       [&](const char* s) { return lower.startsWith(QLatin1String(s)); });
}

bool isMonoTlwg(const QString& face) {
    QString f = face.toLower().remove(' ');
    return f.startsWith(QLatin1String("tlwgmono"));
}

bool installed(const QString& face) {
    return QFontDatabase::families().contains(face, Qt::CaseInsensitive);
}

}  // namespace

QString mapFaceName(const std::string& face, FontUse use) {
    QString name = qs(face).trimmed();
    if (!name.isEmpty() && installed(name) && !isMonoTlwg(name)) return name;
    if (use == FontUse::Screen) return QString::fromLatin1(kScreenFace);
    return QString::fromLatin1(isSerifFace(name) ? kPrintSerifFace : kPrintFace);
}

QFont makeFont(const std::string& face, double width, double height, FontUse use) {
    QFont font(mapFaceName(face, use));
    font.setStyleStrategy(QFont::PreferAntialias);
    if (height < 0) {
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(-height))));
    } else if (height > 0) {
        // A cell height holds the marks above and below: scale by the face's
        // own cell-to-character ratio.
        font.setPixelSize(100);
        QFontMetricsF m(font);
        double ratio = 100.0 / std::max(1.0, m.ascent() + m.descent());
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(height * ratio))));
    }
    if (width > 0) {
        QFontMetricsF m(font);
        double average = std::max(1.0, m.averageCharWidth());
        font.setStretch(std::clamp(static_cast<int>(std::lround(width / average * 100.0)), 1, 4000));
    }
    return font;
}

}  // namespace mp
