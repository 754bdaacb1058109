#include "ui/CVarnelView.h"

#include <QCoreApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include "app/CVarnelApp.h"
#include "base/ExitRequest.h"
#include "ui/DrawConfiguration.h"
#include "ui/ViewPainter.h"

namespace varnel {

ConfigurationCanvas::ConfigurationCanvas(CVarnelApp& app, std::function<bool()> busy, QWidget* parent)
    : QWidget(parent), app_(app), busy_(std::move(busy)) {
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

void ConfigurationCanvas::paintEvent(QPaintEvent*) {
    // Finding the options file changes the model; never in the middle of a printer operation.
    if (busy_ && busy_() && OptionsMissing(app_.model())) return;
    QPainter painter(this);
    QtViewPainter drawer(painter);
    try {
        DrawConfiguration(app_.model(), app_, drawer);
    } catch (const ExitRequest& request) {
        // A refused options file ends the program; exceptions must not leave a paint handler.
        QCoreApplication::exit(request.exitCode);
        return;
    }
    if (drawer.HasScrollArea()) ApplyScrollArea(drawer.scrollWidth(), drawer.scrollHeight());
}

void ConfigurationCanvas::ApplyScrollArea(int width, int height) {
    const QSize wanted(width, height);
    if (minimumSize() == wanted) return;
    // Resizing inside a paint handler is not allowed; do it once this paint is done.
    QTimer::singleShot(0, this, [this, wanted] { setMinimumSize(wanted); });
}

CVarnelView::CVarnelView(CVarnelApp& app, std::function<bool()> busy, QWidget* parent)
    : QScrollArea(parent), canvas_(new ConfigurationCanvas(app, std::move(busy))) {
    // The canvas fills the window until the listing asks for more room, then scrolls.
    setWidgetResizable(true);
    setWidget(canvas_);
    setFrameShape(QFrame::NoFrame);
}

void CVarnelView::Invalidate() { canvas_->update(); }

}  // namespace varnel
