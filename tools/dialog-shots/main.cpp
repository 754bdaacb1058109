// varnel-dialog-shots <folder>: saves screenshot-port.png, screenshot-firmware.png and
// screenshot-firmware-progress.png there. The dialogs are the program's own, shown offscreen
// on fixed sample data, so the pictures change only when the dialogs do.
#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/PortChoice.h"
#include "base/FlashDialog.h"
#include "ui/CFlashDlg.h"
#include "ui/CSelectPortDlg.h"

namespace {

using varnel::FlashDialogTexts;
using varnel::FlashProgressView;

constexpr int kCaptionPadding = 6;
constexpr int kBorder = 1;

// The window as a desktop shows it: offscreen there is no window manager to draw the caption,
// so a plain caption bar with the window's title is drawn above its contents.
QImage WithCaption(QWidget& window) {
    const QImage contents = window.grab().toImage();
    QFont font = window.font();
    font.setBold(true);
    const int captionHeight = QFontMetrics(font).height() + 2 * kCaptionPadding;
    QImage image(contents.width() + 2 * kBorder, contents.height() + captionHeight + kBorder, QImage::Format_RGB32);
    const QPalette palette = window.palette();
    image.fill(palette.color(QPalette::Dark));
    QPainter painter(&image);
    painter.fillRect(kBorder, kBorder, contents.width(), captionHeight - kBorder, palette.color(QPalette::Mid));
    painter.setFont(font);
    painter.setPen(palette.color(QPalette::BrightText));
    painter.drawText(QRect(kBorder + kCaptionPadding, kBorder, contents.width(), captionHeight - kBorder),
                     Qt::AlignVCenter | Qt::AlignLeft, window.windowTitle());
    painter.drawImage(kBorder, captionHeight, contents);
    return image;
}

bool Save(QWidget& window, const QDir& folder, const char* name) {
    window.show();
    QApplication::processEvents();
    const QString path = folder.filePath(QString::fromLatin1(name));
    if (!WithCaption(window).save(path)) {
        std::fprintf(stderr, "varnel-dialog-shots: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// A station with two serial ports and a network printer; the port in use is a pseudo-terminal
// that discovery does not list, and stays selected.
bool PortDialog(const QDir& folder) {
    const std::vector<std::string> discovered = {"/dev/ttyS0", "/dev/ttyUSB0", "192.168.1.50:9100"};
    varnel::PortChoice choice(
        [&](int position) {
            return static_cast<size_t>(position) < discovered.size() ? discovered[static_cast<size_t>(position)]
                                                                      : std::string();
        },
        "/dev/pts/3", {});
    varnel::CSelectPortDlg dialog(choice);
    return Save(dialog, folder, "screenshot-port.png");
}

FlashDialogTexts SampleTexts() {
    return FlashDialogTexts{"PB15 BL 1.2", "RPD1-1.00", "RPD1_1*", "FLASH 29F040", "/home/service/boot/RPD1_101.BOT",
                            "RPD1-1.01"};
}

bool FirmwareDialog(const QDir& folder) {
    varnel::CFlashDlg dialog(SampleTexts());
    return Save(dialog, folder, "screenshot-firmware.png");
}

bool FirmwareProgress(const QDir& folder) {
    varnel::CFlashDlg dialog(SampleTexts());
    dialog.ShowProgress(FlashProgressView{FlashProgressView::Stage::Streaming, 68,
                                          "Flashing: 45000 of 65536 bytes (68%), 5.6 KB/s"});
    return Save(dialog, folder, "screenshot-firmware-progress.png");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: varnel-dialog-shots <folder>\n");
        return 2;
    }
    // No screen is needed, nor wanted: the pictures should not depend on the desktop's theme.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    bool ok = PortDialog(folder);
    ok = FirmwareDialog(folder) && ok;
    ok = FirmwareProgress(folder) && ok;
    return ok ? 0 : 1;
}
