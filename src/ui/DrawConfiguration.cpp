#include "ui/DrawConfiguration.h"

#include <optional>

#include "ui/ViewPainter.h"

namespace varnel {

int DrawConfiguration(const ViewSnapshot& snapshot, ViewPainter& painter) {
    std::optional<ViewFont> selected;
    for (const ViewText& text : snapshot.texts) {
        if (selected != text.font) {
            painter.SelectFont(text.font);
            selected = text.font;
        }
        painter.DrawText(text.x, text.y, text.width, text.text);
    }
    for (const ViewLine& line : snapshot.lines) painter.DrawLine(line.x1, line.y1, line.x2, line.y2);
    return snapshot.listing ? 1 : 0;
}

}  // namespace varnel
