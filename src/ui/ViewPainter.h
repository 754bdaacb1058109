#pragma once

#include <string>

#include "app/ViewSnapshot.h"

class QPainter;

namespace varnel {

// What the configuration listing draws with. Coordinates are pixels from the top left of the
// scroll area; a text's position is the top left of its line. Tests record the calls; the view
// paints them with QPainter.
class ViewPainter {
public:
    virtual ~ViewPainter() = default;
    virtual void SelectFont(ViewFont font) = 0;
    // A text wider than `width` is cut to fit it, with an ellipsis.
    virtual void DrawText(int x, int y, int width, const std::string& text) = 0;
    virtual void DrawLine(int x1, int y1, int x2, int y2) = 0;
};

// Paints on a widget.
class QtViewPainter : public ViewPainter {
public:
    explicit QtViewPainter(QPainter& painter);

    void SelectFont(ViewFont font) override;
    void DrawText(int x, int y, int width, const std::string& text) override;
    void DrawLine(int x1, int y1, int x2, int y2) override;

private:
    QPainter& painter_;
};

}  // namespace varnel
