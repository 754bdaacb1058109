#pragma once

#include <QScrollArea>
#include <QWidget>
#include <functional>

namespace varnel {

class CVarnelApp;

// The surface the listing is painted on; sized to the listing's scroll area.
class ConfigurationCanvas : public QWidget {
    Q_OBJECT
public:
    ConfigurationCanvas(CVarnelApp& app, std::function<bool()> busy, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void ApplyScrollArea(int width, int height);

    CVarnelApp& app_;
    std::function<bool()> busy_;
};

// The read-only scrolling view of the configuration. Starts with an empty scroll area; the first
// drawing sets the real one.
class CVarnelView : public QScrollArea {
    Q_OBJECT
public:
    // `busy` tells whether a command is running; the view then does not load description files
    // behind the running operation's back.
    CVarnelView(CVarnelApp& app, std::function<bool()> busy, QWidget* parent = nullptr);

    ConfigurationCanvas* canvas() const { return canvas_; }
    // Redraws the whole listing.
    void Invalidate();

private:
    ConfigurationCanvas* canvas_;
};

}  // namespace varnel
