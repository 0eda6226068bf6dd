// mixplant-pictures: draws the picture files of the screens (the "library"
// folder of a site) so that every picture is our own: simple flat icons on a
// rounded tile, one colour per family of buttons, and the plant drawings of
// the welcome, goodbye, main and run screens.
//
//   mixplant-pictures <folder> [sheet.png]
//
// With a sheet name it also lays every picture side by side into one PNG,
// to look them over at once.

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using Draw = std::function<void(QPainter&, const QRectF&)>;

const QColor kInk(255, 255, 255);
const QColor kNavy(0, 0, 40);

// ---- small drawing helpers on a 100 by 100 glyph box ----

void tile(QPainter& p, const QRectF& r, QColor color) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, color.lighter(135));
    g.setColorAt(1, color.darker(115));
    p.setPen(QPen(color.darker(160), 1));
    p.setBrush(g);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), r.height() / 6, r.height() / 6);
}

// Maps the glyph box (0..100) onto the centred square of `r`, shrunk by a margin.
void glyphBox(QPainter& p, const QRectF& r) {
    double side = std::min(r.width(), r.height()) * 0.72;
    p.translate(r.center().x() - side / 2, r.center().y() - side / 2);
    p.scale(side / 100.0, side / 100.0);
    p.setPen(QPen(kInk, 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
}

void poly(QPainter& p, std::initializer_list<QPointF> pts, bool filled = true) {
    QPolygonF pg(pts);
    p.save();
    if (filled) p.setBrush(kInk);
    p.drawPolygon(pg);
    p.restore();
}

void arrow(QPainter& p, double angle, bool toBar) {
    p.save();
    p.translate(50, 50);
    p.rotate(angle);  // 0 points up
    poly(p, {{0, -40}, {32, 0}, {12, 0}, {12, 38}, {-12, 38}, {-12, 0}, {-32, 0}});
    if (toBar) p.drawLine(QPointF(-36, -46), QPointF(36, -46));
    p.restore();
}

void text(QPainter& p, const QRectF& box, const QString& t, int pixel, QColor color = kInk) {
    QFont f("Loma");
    f.setPixelSize(pixel);
    f.setBold(true);
    p.setFont(f);
    p.setPen(color);
    p.drawText(box, Qt::AlignCenter, t);
}

void floppy(QPainter& p) {
    poly(p, {{10, 10}, {78, 10}, {90, 22}, {90, 90}, {10, 90}});
    p.save();
    p.setBrush(QColor(40, 90, 40));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(26, 14, 44, 24));
    p.drawRect(QRectF(24, 56, 52, 30));
    p.restore();
}

void cross(QPainter& p) {
    p.save();
    p.setPen(QPen(kInk, 16, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(20, 20), QPointF(80, 80));
    p.drawLine(QPointF(80, 20), QPointF(20, 80));
    p.restore();
}

void check(QPainter& p) {
    p.save();
    p.setPen(QPen(kInk, 16, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({{14, 52}, {40, 78}, {88, 22}}));
    p.restore();
}

void plus(QPainter& p) {
    p.save();
    p.setPen(QPen(kInk, 18, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(50, 14), QPointF(50, 86));
    p.drawLine(QPointF(14, 50), QPointF(86, 50));
    p.restore();
}

void pencil(QPainter& p) {
    poly(p, {{70, 8}, {92, 30}, {36, 86}, {10, 92}, {14, 64}});
    p.save();
    p.setPen(QPen(QColor(120, 80, 0), 5));
    p.drawLine(QPointF(60, 20), QPointF(80, 40));
    p.restore();
}

void magnifier(QPainter& p) {
    p.save();
    p.setPen(QPen(kInk, 10));
    p.drawEllipse(QPointF(42, 42), 26, 26);
    p.setPen(QPen(kInk, 16, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(62, 62), QPointF(88, 88));
    p.restore();
}

void bin(QPainter& p) {
    poly(p, {{22, 30}, {78, 30}, {72, 92}, {28, 92}});
    p.drawLine(QPointF(12, 20), QPointF(88, 20));
    p.drawLine(QPointF(40, 10), QPointF(60, 10));
}

void printerGlyph(QPainter& p) {
    p.drawRect(QRectF(28, 8, 44, 28));
    poly(p, {{8, 36}, {92, 36}, {92, 72}, {8, 72}});
    p.save();
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(60, 60, 60), 4));
    p.drawRect(QRectF(26, 58, 48, 36));
    p.drawLine(QPointF(34, 70), QPointF(66, 70));
    p.drawLine(QPointF(34, 82), QPointF(60, 82));
    p.restore();
}

void documentGlyph(QPainter& p, bool chart) {
    poly(p, {{18, 6}, {64, 6}, {84, 26}, {84, 94}, {18, 94}});
    p.save();
    p.setPen(QPen(QColor(40, 40, 90), 6));
    if (chart) {
        p.drawLine(QPointF(32, 80), QPointF(32, 60));
        p.drawLine(QPointF(48, 80), QPointF(48, 44));
        p.drawLine(QPointF(64, 80), QPointF(64, 52));
    } else {
        for (int y = 36; y <= 78; y += 14) p.drawLine(QPointF(30, y), QPointF(72, y));
    }
    p.restore();
}

void clockGlyph(QPainter& p) {
    p.drawEllipse(QPointF(50, 50), 40, 40);
    p.drawLine(QPointF(50, 50), QPointF(50, 22));
    p.drawLine(QPointF(50, 50), QPointF(72, 60));
}

void gear(QPainter& p) {
    p.save();
    p.translate(50, 50);
    p.setBrush(kInk);
    for (int i = 0; i < 8; ++i) {
        p.drawRect(QRectF(-8, -46, 16, 20));
        p.rotate(45);
    }
    p.drawEllipse(QPointF(0, 0), 30, 30);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawEllipse(QPointF(0, 0), 11, 11);
    p.restore();
}

void calculator(QPainter& p) {
    p.drawRoundedRect(QRectF(18, 6, 64, 88), 8, 8);
    p.save();
    p.setBrush(kInk);
    p.drawRect(QRectF(28, 16, 44, 16));
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) p.drawRect(QRectF(28 + c * 16, 44 + r * 16, 8, 8));
    p.restore();
}

void notepad(QPainter& p) {
    p.drawRect(QRectF(16, 14, 58, 78));
    for (int y = 32; y <= 76; y += 14) p.drawLine(QPointF(26, y), QPointF(62, y));
    p.save();
    p.translate(36, -2);
    p.scale(0.6, 0.6);
    pencil(p);
    p.restore();
}

void door(QPainter& p) {
    p.drawRect(QRectF(14, 8, 44, 84));
    p.save();
    p.translate(32, 10);
    p.scale(0.7, 0.8);
    arrow(p, 90, false);
    p.restore();
}

void gauge(QPainter& p) {
    p.drawArc(QRectF(10, 18, 80, 80), 0, 180 * 16);
    p.drawLine(QPointF(10, 58), QPointF(90, 58));
    p.drawLine(QPointF(50, 58), QPointF(72, 30));
    p.save();
    p.setBrush(kInk);
    p.drawEllipse(QPointF(50, 58), 7, 7);
    p.restore();
    p.drawRect(QRectF(30, 70, 40, 20));
}

void database(QPainter& p) {
    for (int i = 0; i < 3; ++i) p.drawEllipse(QRectF(14, 10 + i * 26, 72, 22));
    p.drawLine(QPointF(14, 21), QPointF(14, 84));
    p.drawLine(QPointF(86, 21), QPointF(86, 84));
}

void mixerGlyph(QPainter& p) {
    poly(p, {{14, 10}, {86, 10}, {86, 56}, {60, 80}, {40, 80}, {14, 56}});
    p.save();
    p.setPen(QPen(QColor(30, 30, 30), 6));
    p.drawLine(QPointF(50, 2), QPointF(50, 62));
    p.drawLine(QPointF(30, 44), QPointF(70, 34));
    p.restore();
    p.drawLine(QPointF(50, 80), QPointF(50, 96));
}

void key(QPainter& p) {
    p.drawEllipse(QPointF(30, 50), 18, 18);
    p.drawLine(QPointF(48, 50), QPointF(92, 50));
    p.drawLine(QPointF(78, 50), QPointF(78, 66));
    p.drawLine(QPointF(90, 50), QPointF(90, 62));
}

void shield(QPainter& p) {
    QPainterPath path;
    path.moveTo(50, 6);
    path.lineTo(88, 20);
    path.cubicTo(88, 60, 70, 84, 50, 96);
    path.cubicTo(30, 84, 12, 60, 12, 20);
    path.closeSubpath();
    p.drawPath(path);
    check(p);
}

void stack(QPainter& p) {
    for (int i = 0; i < 3; ++i) p.drawRect(QRectF(16 + i * 6, 58 - i * 22, 62, 18));
}

void zero(QPainter& p) { text(p, QRectF(0, 0, 100, 100), "0", 84); }

Draw icon(QColor color, std::function<void(QPainter&)> glyph) {
    return [color, glyph](QPainter& p, const QRectF& r) {
        tile(p, r, color);
        p.save();
        glyphBox(p, r);
        glyph(p);
        p.restore();
    };
}

// ---- the plant drawings ----

void sky(QPainter& p, const QRectF& r) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(0, 60, 130));
    g.setColorAt(1, QColor(150, 190, 230));
    p.fillRect(r, g);
}

// The plant: eight feed hoppers over a belt that carries to two mixers.
// `hoppers` and `mixers` give their bands; everything scales with `r`.
void plant(QPainter& p, const QRectF& r, double hopperTop, double hopperBottom, double beltY, double mixerTop,
           double mixerBottom) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const double slot = r.width() / 8.33;
    const double left = r.left() + r.width() * 0.022;
    for (int n = 0; n < 8; ++n) {
        double x = left + n * slot;
        QPolygonF hopper({{x + slot * 0.08, hopperTop}, {x + slot * 0.92, hopperTop},
                          {x + slot * 0.92, hopperBottom - (hopperBottom - hopperTop) * 0.35},
                          {x + slot * 0.6, hopperBottom}, {x + slot * 0.4, hopperBottom},
                          {x + slot * 0.08, hopperBottom - (hopperBottom - hopperTop) * 0.35}});
        p.setPen(QPen(QColor(30, 30, 30), 2));
        p.setBrush(QColor::fromHsv((n * 40) % 360, 90, 210));
        p.drawPolygon(hopper);
    }
    // the belt
    p.setPen(QPen(QColor(20, 20, 20), 3));
    p.setBrush(QColor(70, 70, 70));
    p.drawRoundedRect(QRectF(r.left() + r.width() * 0.02, beltY, r.width() * 0.96, r.height() * 0.035), 8, 8);
    // two mixers, left and right, fed from the belt's ends
    for (int m = 0; m < 2; ++m) {
        double w = r.width() * 0.2;
        double x = m == 0 ? r.left() + r.width() * 0.06 : r.right() - r.width() * 0.06 - w;
        QRectF drum(x, mixerTop, w, (mixerBottom - mixerTop) * 0.7);
        p.setBrush(QColor(200, 200, 210));
        p.drawRoundedRect(drum, 12, 12);
        p.setPen(QPen(QColor(60, 60, 60), 4));
        p.drawLine(QPointF(drum.center().x(), drum.top() - 10), QPointF(drum.center().x(), drum.bottom() - 8));
        p.setPen(QPen(QColor(30, 30, 30), 2));
        p.drawLine(QPointF(drum.center().x(), drum.bottom()), QPointF(drum.center().x(), mixerBottom));
    }
    p.restore();
}

void mainPicture(QPainter& p, const QRectF& r) {
    sky(p, r);
    plant(p, r, r.height() * 0.14, r.height() * 0.42, r.height() * 0.5, r.height() * 0.6, r.height() * 0.92);
    text(p, QRectF(r.left(), r.height() * 0.02, r.width(), r.height() * 0.1), "MIXPLANT", static_cast<int>(r.height() / 16),
         QColor(255, 255, 255));
}

Draw scene(const QString& caption) {
    return [caption](QPainter& p, const QRectF& r) {
        sky(p, r);
        plant(p, QRectF(r.left(), r.top(), r.width(), r.height() * 0.78), r.height() * 0.08, r.height() * 0.3,
              r.height() * 0.34, r.height() * 0.42, r.height() * 0.64);
        p.fillRect(QRectF(r.left(), r.height() * 0.72, r.width(), r.height() * 0.28), QColor(0, 0, 40, 200));
        text(p, QRectF(r.left(), r.height() * 0.72, r.width(), r.height() * 0.28), caption,
             static_cast<int>(r.height() / 9), QColor(255, 255, 160));
    };
}

// The run display's backdrop, 900 by 600: hoppers above the slot labels
// (rows 140 to 220), the belt, the mixers above their labels at 450, the
// information line's band at the bottom.
void runBackdrop(QPainter& p, const QRectF& r) {
    p.fillRect(r, QColor(0, 40, 90));
    plant(p, r, 70, 136, 240, 290, 440);
    p.fillRect(QRectF(0, 560, r.width(), 40), QColor(0, 20, 50));
}

void noImage(QPainter& p, const QRectF& r) {
    p.fillRect(r, QColor(235, 235, 235));
    p.setPen(QPen(QColor(170, 170, 170), 3));
    p.drawRect(r.adjusted(2, 2, -3, -3));
    p.drawLine(r.topLeft() + QPointF(2, 2), r.bottomRight() - QPointF(3, 3));
    p.drawLine(r.bottomLeft() + QPointF(2, -3), r.topRight() + QPointF(-3, 2));
    text(p, r, QString::fromUtf8("ไม่มีรูปภาพ"), static_cast<int>(r.height() / 8), QColor(110, 110, 110));
}

struct Picture {
    const char* file;
    int width;
    int height;
    Draw draw;
};

std::vector<Picture> pictures() {
    const QColor blue(40, 90, 170), green(40, 140, 70), red(190, 50, 50), amber(200, 130, 20),
        teal(20, 130, 140), grey(90, 100, 115), purple(110, 70, 160);
    const int bar = 48, pop_w = 72, pop_h = 30, small = 36;
    return {
        // the main window's button bar, 48 by 48
        {"Process.bmp", bar, bar, icon(blue, mixerGlyph)},
        {"Control.bmp", bar, bar, icon(teal, gauge)},
        {"Report.bmp", bar, bar, icon(purple, [](QPainter& p) { documentGlyph(p, true); })},
        {"index.bmp", bar, bar, icon(grey, database)},
        {"clock.bmp", bar, bar, icon(amber, clockGlyph)},
        {"varia.bmp", bar, bar, icon(grey, gear)},
        {"Calc.bmp", bar, bar, icon(teal, calculator)},
        {"printer.bmp", bar, bar, icon(purple, printerGlyph)},
        {"note.bmp", bar, bar, icon(amber, notepad)},
        {"exit.bmp", bar, bar, icon(red, door)},
        // the production screen's buttons (the bar's pictures serve there too)
        {"top.bmp", bar, bar, icon(blue, [](QPainter& p) { arrow(p, 0, true); })},
        {"back.bmp", bar, bar, icon(blue, [](QPainter& p) { arrow(p, -90, false); })},
        {"next.bmp", bar, bar, icon(blue, [](QPainter& p) { arrow(p, 90, false); })},
        {"bottom.bmp", bar, bar, icon(blue, [](QPainter& p) { arrow(p, 180, true); })},
        {"new.bmp", bar, bar, icon(green, plus)},
        {"edit.bmp", bar, bar, icon(amber, pencil)},
        {"delete.bmp", bar, bar, icon(red, bin)},
        {"search.bmp", bar, bar, icon(teal, magnifier)},
        {"save.bmp", bar, bar, icon(green, floppy)},
        {"cancel.bmp", bar, bar, icon(red, cross)},
        {"print.bmp", bar, bar, icon(purple, printerGlyph)},
        {"zero.bmp", small, small, icon(grey, zero)},
        // the dialogs' buttons, 40 by 18 layout units
        {"PopSave.bmp", pop_w, pop_h, icon(green, floppy)},
        {"PopCan.bmp", pop_w, pop_h, icon(red, cross)},
        {"PopOk.bmp", pop_w, pop_h, icon(green, check)},
        {"PopSeek.bmp", pop_w, pop_h, icon(teal, magnifier)},
        {"PopTop.bmp", pop_w, pop_h, icon(blue, [](QPainter& p) { arrow(p, 0, true); })},
        {"PopBut.bmp", pop_w, pop_h, icon(blue, [](QPainter& p) { arrow(p, 180, true); })},
        {"PopAdd.bmp", pop_w, pop_h, icon(green, plus)},
        {"PopEdit.bmp", pop_w, pop_h, icon(amber, pencil)},
        {"PopDel.bmp", pop_w, pop_h, icon(red, bin)},
        {"PopBat.bmp", pop_w, pop_h, icon(blue, stack)},
        {"PopPass.bmp", pop_w, pop_h, icon(amber, key)},
        {"PopTrus.bmp", pop_w, pop_h, icon(purple, shield)},
        {"repprint.bmp", pop_w, pop_h, icon(purple, printerGlyph)},
        {"repstart.bmp", pop_w, pop_h, icon(green, [](QPainter& p) { documentGlyph(p, false); })},
        {"repesc.bmp", pop_w, pop_h, icon(red, cross)},
        // pictures
        {"MAIN.BMP", 720, 480, mainPicture},
        {"welcome.bmp", 450, 350, scene(QString::fromUtf8("ยินดีต้อนรับ"))},
        {"goodbye.bmp", 350, 250, scene(QString::fromUtf8("ขอบคุณครับ"))},
        {"mix.bmp", 900, 600, runBackdrop},
        {"noimage.bmp", 300, 200, noImage},
    };
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: mixplant-pictures <folder> [sheet.png]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.exists() && !QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    int failed = 0;
    QImage sheet(1800, 1400, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter sheetPainter(&sheet);
    QPointF at(4, 4);
    double rowHeight = 0;
    for (const Picture& pic : pictures()) {
        QImage img(pic.width, pic.height, QImage::Format_RGB32);
        img.fill(QColor(236, 236, 236));  // the dialogs' face, behind the tiles' corners
        {
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing);
            pic.draw(p, QRectF(0, 0, pic.width, pic.height));
        }
        if (!img.save(dir.filePath(QString::fromLatin1(pic.file)), "BMP")) {
            std::fprintf(stderr, "cannot write %s\n", pic.file);
            ++failed;
        }
        if (at.x() + pic.width > sheet.width()) at = QPointF(4, at.y() + rowHeight + 4), rowHeight = 0;
        sheetPainter.drawImage(at, img);
        at.rx() += pic.width + 4;
        rowHeight = std::max<double>(rowHeight, pic.height);
    }
    sheetPainter.end();
    if (argc == 3 && !sheet.save(QString::fromLocal8Bit(argv[2]))) ++failed;
    return failed ? 1 : 0;
}
