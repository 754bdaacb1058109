#pragma once

#include <QScrollArea>
#include <QWidget>

#include "app/ViewSnapshot.h"

namespace varnel {

// The surface the listing is painted on; sized to the listing's scroll area. It paints the
// snapshot it was given and nothing else.
class ConfigurationCanvas : public QWidget {
    Q_OBJECT
public:
    explicit ConfigurationCanvas(QWidget* parent = nullptr);

    void SetSnapshot(ViewSnapshot snapshot);
    const ViewSnapshot& snapshot() const { return snapshot_; }

signals:
    // After each paint; a receiver that reports must take it queued, never inside the paint.
    void Painted();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ViewSnapshot snapshot_;
};

// The read-only scrolling view of the configuration. Starts empty with an empty scroll area; the
// first listing shown sets the real one.
class CVarnelView : public QScrollArea {
    Q_OBJECT
public:
    explicit CVarnelView(QWidget* parent = nullptr);

    ConfigurationCanvas* canvas() const { return canvas_; }
    // Shows what the application prepared; the listing's size takes effect at once, its
    // drawing at the next paint.
    void Show(ViewSnapshot snapshot);
    const ViewSnapshot& snapshot() const { return canvas_->snapshot(); }

private:
    ConfigurationCanvas* canvas_;
};

}  // namespace varnel
