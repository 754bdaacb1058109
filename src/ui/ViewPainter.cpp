#include "ui/ViewPainter.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include "ui/UiText.h"

namespace varnel {

namespace {

// Asked for by name; Qt's font matching substitutes where they are missing.
constexpr const char* kHeaderFamily = "Arial Rounded MT Bold";
constexpr int kHeaderPoints = 11;
constexpr const char* kSettingFamily = "Arial";
constexpr int kSettingPoints = 10;

QFont FontOf(ViewFont font) {
    if (font == ViewFont::Header) return QFont(kHeaderFamily, kHeaderPoints);
    return QFont(kSettingFamily, kSettingPoints);
}

}  // namespace

QtViewPainter::QtViewPainter(QPainter& painter) : painter_(painter) {}

void QtViewPainter::SelectFont(ViewFont font) { painter_.setFont(FontOf(font)); }

void QtViewPainter::DrawText(int x, int y, int width, const std::string& text) {
    const QFontMetrics metrics = painter_.fontMetrics();
    const QString shown = metrics.elidedText(ToDisplayText(text), Qt::ElideRight, width);
    // QPainter places text on its baseline; the listing's positions are line tops.
    painter_.drawText(x, y + metrics.ascent(), shown);
}

void QtViewPainter::DrawLine(int x1, int y1, int x2, int y2) { painter_.drawLine(x1, y1, x2, y2); }

}  // namespace varnel
