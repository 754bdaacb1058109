#include "ui/DrawConfiguration.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>
#include <string>
#include <vector>

#include "app/ViewSnapshot.h"
#include "ui/CVarnelView.h"
#include "ui/ViewPainter.h"

namespace varnel {
namespace {

// Keeps every call, in order, as text.
class RecordingPainter : public ViewPainter {
public:
    void SelectFont(ViewFont font) override { calls.push_back(font == ViewFont::Header ? "font header" : "font setting"); }
    void DrawText(int x, int y, int width, const std::string& text) override {
        calls.push_back("text " + std::to_string(x) + "," + std::to_string(y) + " w" + std::to_string(width) + " " +
                        text);
    }
    void DrawLine(int x1, int y1, int x2, int y2) override {
        calls.push_back("line " + std::to_string(x1) + "," + std::to_string(y1) + "-" + std::to_string(x2) + "," +
                        std::to_string(y2));
    }
    std::vector<std::string> calls;
};

TEST(DrawConfigurationTest, DrawsTheSnapshotsTextsInTheirFontsThenItsLines) {
    ViewSnapshot snapshot;
    snapshot.texts = {{20, 0, 374, ViewFont::Header, "RP-DEMO "},
                      {10, 76, 384, ViewFont::Header, "General:"},
                      {20, 100, 164, ViewFont::Setting, "Buzzer"},
                      {190, 100, 204, ViewFont::Setting, "= On"}};
    snapshot.lines = {{400, 0, 400, 550}};
    snapshot.scrollArea = ViewScrollArea{900, 550};
    snapshot.listing = true;

    RecordingPainter painter;
    EXPECT_EQ(DrawConfiguration(snapshot, painter), 1);
    EXPECT_EQ(painter.calls, (std::vector<std::string>{"font header", "text 20,0 w374 RP-DEMO ", "text 10,76 w384 General:",
                                                       "font setting", "text 20,100 w164 Buzzer",
                                                       "text 190,100 w204 = On", "line 400,0-400,550"}));
}

TEST(DrawConfigurationTest, ANoticeAloneDrawsAndSaysSo) {
    ViewSnapshot snapshot;
    snapshot.texts = {{50, 50, 850, ViewFont::Setting, "---- No File Loaded ----"}};
    RecordingPainter painter;
    EXPECT_EQ(DrawConfiguration(snapshot, painter), 0);
    EXPECT_EQ(painter.calls, (std::vector<std::string>{"font setting", "text 50,50 w850 ---- No File Loaded ----"}));
}

// Whether anything but the background is drawn in columns [left, right) of rows [top, bottom).
bool InkIn(const QImage& image, int left, int right, int top, int bottom, QRgb background) {
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (image.pixel(x, y) != background) return true;
    return false;
}

TEST(DrawConfigurationTest, ALongTextIsCutAtItsColumnEdgeInsteadOfRunningIntoTheNextColumn) {
    const std::string longComment(570, 'W');
    ViewSnapshot snapshot;
    snapshot.texts = {{20, 32, 374, ViewFont::Header, longComment},
                      {20, 100, 164, ViewFont::Setting, "A_setting_name_far_too_long_for_its_column"},
                      {190, 100, 204, ViewFont::Setting, "= " + longComment}};
    snapshot.listing = true;

    QImage image(900, 140, QImage::Format_RGB32);
    const QRgb background = QColor(Qt::white).rgb();
    image.fill(background);
    {
        QPainter painter(&image);
        painter.setPen(Qt::black);
        QtViewPainter drawer(painter);
        DrawConfiguration(snapshot, drawer);
    }
    // The comment reaches the edge of its column and stops there, short of the separator at 400
    // and the second column beyond it.
    EXPECT_TRUE(InkIn(image, 300, 394, 32, 48, background));
    EXPECT_FALSE(InkIn(image, 394, 900, 32, 48, background));
    // The setting's name stops before its value, the value before the separator.
    EXPECT_TRUE(InkIn(image, 120, 184, 100, 116, background));
    EXPECT_FALSE(InkIn(image, 184, 190, 100, 116, background));
    EXPECT_FALSE(InkIn(image, 394, 900, 100, 116, background));
}

TEST(DrawConfigurationTest, TheViewTakesTheSnapshotsScrollAreaAndANoticeKeepsIt) {
    CVarnelView view;
    ViewSnapshot listing;
    listing.scrollArea = ViewScrollArea{900, 790};
    listing.listing = true;
    view.Show(listing);
    EXPECT_EQ(view.canvas()->minimumSize(), QSize(900, 790));

    ViewSnapshot notice;
    notice.texts = {{50, 50, 850, ViewFont::Setting, "Cannot locate Options (.OPT) file."}};
    view.Show(notice);
    EXPECT_EQ(view.canvas()->minimumSize(), QSize(900, 790));
    EXPECT_EQ(view.snapshot().texts, notice.texts);
}

}  // namespace
}  // namespace varnel
