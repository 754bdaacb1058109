#pragma once

#include <string>

class QPainter;

namespace varnel {

// The two fonts of the configuration listing.
enum class ViewFont { Header, Setting };

// What the configuration listing draws with. Coordinates are pixels from the top left of the
// scroll area; a text's position is the top left of its line. Tests record the calls; the view
// paints them with QPainter.
class ViewPainter {
public:
    virtual ~ViewPainter() = default;
    virtual void SelectFont(ViewFont font) = 0;
    virtual void DrawText(int x, int y, const std::string& text) = 0;
    virtual void DrawLine(int x1, int y1, int x2, int y2) = 0;
    // The size of the whole listing, for the view's scroll bars.
    virtual void SetScrollArea(int width, int height) = 0;
};

// Paints on a widget. The scroll area is only remembered; the view applies it after painting.
class QtViewPainter : public ViewPainter {
public:
    explicit QtViewPainter(QPainter& painter);

    void SelectFont(ViewFont font) override;
    void DrawText(int x, int y, const std::string& text) override;
    void DrawLine(int x1, int y1, int x2, int y2) override;
    void SetScrollArea(int width, int height) override;

    bool HasScrollArea() const { return scrollWidth_ >= 0; }
    int scrollWidth() const { return scrollWidth_; }
    int scrollHeight() const { return scrollHeight_; }

private:
    QPainter& painter_;
    int scrollWidth_ = -1;
    int scrollHeight_ = -1;
};

}  // namespace varnel
