#include "ui/CAboutDlg.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "model/MakerInfo.h"

namespace varnel {
namespace {

constexpr int kIconSize = 32;
constexpr const char* kMakerLine = "Pellam receipt printer configuration utility";

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Varnel"));

    // Widgets are owned by the dialog.
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull()) icon = style()->standardIcon(QStyle::SP_ComputerIcon);
    auto* iconLabel = new QLabel(this);
    iconLabel->setObjectName(QStringLiteral("icon"));
    iconLabel->setPixmap(icon.pixmap(kIconSize, kIconSize));

    auto* version = new QLabel(QString::fromLatin1(kAboutVersionText.data(), kAboutVersionText.size()), this);
    version->setObjectName(QStringLiteral("version"));
    auto* maker = new QLabel(QString::fromLatin1(kMakerLine), this);
    maker->setObjectName(QStringLiteral("maker"));
    auto* web = new QLabel(QString::fromLatin1(kMakerWebAddress.data(), kMakerWebAddress.size()), this);
    web->setObjectName(QStringLiteral("web"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ok"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(iconLabel, 0, 0, 3, 1, Qt::AlignTop);
    layout->addWidget(version, 0, 1);
    layout->addWidget(maker, 1, 1);
    layout->addWidget(web, 2, 1);
    layout->addWidget(buttons, 3, 0, 1, 2);
}

}  // namespace varnel
