#include "ui/CVarnelView.h"

#include <QPaintEvent>
#include <QPainter>
#include <utility>

#include "ui/DrawConfiguration.h"
#include "ui/ViewPainter.h"

namespace varnel {

ConfigurationCanvas::ConfigurationCanvas(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

void ConfigurationCanvas::SetSnapshot(ViewSnapshot snapshot) {
    snapshot_ = std::move(snapshot);
    // A notice keeps the size the last listing gave.
    if (snapshot_.scrollArea) setMinimumSize(snapshot_.scrollArea->width, snapshot_.scrollArea->height);
    update();
}

void ConfigurationCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QtViewPainter drawer(painter);
    DrawConfiguration(snapshot_, drawer);
    emit Painted();
}

CVarnelView::CVarnelView(QWidget* parent) : QScrollArea(parent), canvas_(new ConfigurationCanvas) {
    // The canvas fills the window until the listing asks for more room, then scrolls.
    setWidgetResizable(true);
    setWidget(canvas_);
    setFrameShape(QFrame::NoFrame);
}

void CVarnelView::Show(ViewSnapshot snapshot) { canvas_->SetSnapshot(std::move(snapshot)); }

}  // namespace varnel
