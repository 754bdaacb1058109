#include "ui/ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygon>

namespace varnel {

namespace {

constexpr int kIconSize = 24;

const QColor kInk(40, 40, 40);
const QColor kPaper(250, 250, 245);
const QColor kPrinterBody(110, 120, 135);
const QColor kArrowIn(30, 120, 200);
const QColor kArrowOut(200, 90, 30);
const QColor kGood(40, 150, 60);
const QColor kFolder(225, 180, 70);
const QColor kFlash(240, 200, 30);

void DrawPage(QPainter& p) {
    p.setBrush(kPaper);
    p.drawPolygon(QPolygon({QPoint(5, 2), QPoint(15, 2), QPoint(20, 7), QPoint(20, 22), QPoint(5, 22)}));
    p.drawPolyline(QPolygon({QPoint(15, 2), QPoint(15, 7), QPoint(20, 7)}));
}

void DrawFolder(QPainter& p) {
    p.setBrush(kFolder);
    p.drawPolygon(QPolygon({QPoint(2, 6), QPoint(9, 6), QPoint(11, 8), QPoint(21, 8), QPoint(21, 20), QPoint(2, 20)}));
}

void DrawDisk(QPainter& p) {
    p.setBrush(QColor(60, 90, 160));
    p.drawRect(3, 3, 18, 18);
    p.setBrush(kPaper);
    p.drawRect(7, 3, 10, 6);
    p.drawRect(6, 13, 12, 8);
}

// A receipt printer with its paper: the motif of the printer commands.
void DrawPrinter(QPainter& p) {
    p.setBrush(kPaper);
    p.drawRect(8, 2, 8, 6);
    p.setBrush(kPrinterBody);
    p.drawRoundedRect(3, 8, 18, 10, 2, 2);
    p.setBrush(kPaper);
    p.drawRect(7, 15, 10, 7);
}

void DrawArrow(QPainter& p, bool intoPc, const QColor& color) {
    p.setBrush(color);
    p.setPen(Qt::NoPen);
    if (intoPc) {
        p.drawPolygon(QPolygon({QPoint(14, 11), QPoint(24, 11), QPoint(19, 18)}));
        p.drawRect(17, 4, 4, 8);
    } else {
        p.drawPolygon(QPolygon({QPoint(14, 11), QPoint(24, 11), QPoint(19, 4)}));
        p.drawRect(17, 10, 4, 8);
    }
    p.setPen(kInk);
}

void DrawCheck(QPainter& p) {
    QPen pen(kGood, 3);
    p.setPen(pen);
    p.drawPolyline(QPolygon({QPoint(12, 15), QPoint(16, 20), QPoint(23, 9)}));
    p.setPen(kInk);
}

void DrawPencil(QPainter& p) {
    p.setBrush(kFlash);
    p.drawPolygon(QPolygon({QPoint(10, 21), QPoint(11, 16), QPoint(21, 6), QPoint(23, 8), QPoint(13, 18)}));
}

void DrawPlug(QPainter& p) {
    p.setBrush(kPrinterBody);
    p.drawRoundedRect(4, 7, 16, 10, 2, 2);
    p.setBrush(kInk);
    for (int x = 7; x <= 16; x += 3) p.drawEllipse(QPoint(x, 12), 1, 1);
}

void DrawHelp(QPainter& p) {
    p.setBrush(kArrowIn);
    p.drawEllipse(2, 2, 20, 20);
    p.setPen(Qt::white);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(15);
    p.setFont(font);
    p.drawText(QRect(2, 2, 20, 20), Qt::AlignCenter, QStringLiteral("?"));
    p.setPen(kInk);
}

void DrawBolt(QPainter& p) {
    p.setBrush(kFlash);
    p.drawPolygon(QPolygon({QPoint(14, 1), QPoint(5, 13), QPoint(11, 13), QPoint(8, 23), QPoint(19, 9),
                            QPoint(13, 9), QPoint(17, 1)}));
}

QPixmap Drawn(ToolbarImage image) {
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(kInk);
    switch (image) {
    case ToolbarImage::New: DrawPage(p); break;
    case ToolbarImage::Open: DrawFolder(p); break;
    case ToolbarImage::Save: DrawDisk(p); break;
    case ToolbarImage::ReadConfig: DrawPrinter(p); DrawArrow(p, true, kArrowIn); break;
    case ToolbarImage::EditConfig: DrawPage(p); DrawPencil(p); break;
    case ToolbarImage::WriteConfig: DrawPrinter(p); DrawArrow(p, false, kArrowOut); break;
    case ToolbarImage::Verify: DrawPrinter(p); DrawCheck(p); break;
    case ToolbarImage::SelectPort: DrawPlug(p); break;
    case ToolbarImage::Help: DrawHelp(p); break;
    case ToolbarImage::Flash: DrawBolt(p); break;
    case ToolbarImage::App: DrawPrinter(p); DrawCheck(p); break;
    }
    return pixmap;
}

// Freedesktop names for the images the theme is expected to have.
const char* ThemeName(ToolbarImage image) {
    switch (image) {
    case ToolbarImage::New: return "document-new";
    case ToolbarImage::Open: return "document-open";
    case ToolbarImage::Save: return "document-save";
    case ToolbarImage::Help: return "help-contents";
    // The package installs the program's own icon into the theme; a build run in place draws it.
    case ToolbarImage::App: return "varnel";
    case ToolbarImage::ReadConfig:
    case ToolbarImage::EditConfig:
    case ToolbarImage::WriteConfig:
    case ToolbarImage::Verify:
    case ToolbarImage::SelectPort:
    case ToolbarImage::Flash: break;  // no common theme name: our own drawing
    }
    return nullptr;
}

}  // namespace

QIcon ToolbarIcon(ToolbarImage image) {
    const QIcon drawn(Drawn(image));
    const char* themeName = ThemeName(image);
    if (!themeName) return drawn;
    return QIcon::fromTheme(QString::fromLatin1(themeName), drawn);
}

}  // namespace varnel
