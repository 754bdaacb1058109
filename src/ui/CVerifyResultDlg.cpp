#include "ui/CVerifyResultDlg.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "base/UserInterface.h"
#include "ui/UiText.h"

namespace varnel {
namespace {

constexpr int kColumnCount = 3;
constexpr int kDialogWidth = 640;
constexpr int kDialogHeight = 360;

QTableWidgetItem* Cell(const std::string& text) {
    auto* item = new QTableWidgetItem(ToDisplayText(text));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

}  // namespace

CVerifyResultDlg::CVerifyResultDlg(std::vector<VerificationRow> rows, UserInterface& ui, QWidget* parent)
    : QDialog(parent), rows_(std::move(rows)), ui_(ui) {
    setWindowTitle(QStringLiteral("Verification Result"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral("%1 setting(s) of the printer differ from the configuration:").arg(rows_.size()), this));

    table_ = new QTableWidget(static_cast<int>(rows_.size()), kColumnCount, this);
    table_->setHorizontalHeaderLabels(
        {kVerificationColumns[0], kVerificationColumns[1], kVerificationColumns[2]});
    for (int row = 0; row < static_cast<int>(rows_.size()); ++row) {
        const VerificationRow& difference = rows_[static_cast<size_t>(row)];
        table_->setItem(row, 0, Cell(difference.setting));
        table_->setItem(row, 1, Cell(difference.printerValue));
        table_->setItem(row, 2, Cell(difference.configurationValue));
    }
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(table_);

    auto* buttons = new QDialogButtonBox(this);
    copyButton_ = buttons->addButton(QStringLiteral("&Copy"), QDialogButtonBox::ActionRole);
    saveButton_ = buttons->addButton(QStringLiteral("&Save as CSV..."), QDialogButtonBox::ActionRole);
    closeButton_ = buttons->addButton(QDialogButtonBox::Close);
    closeButton_->setDefault(true);
    connect(copyButton_, &QPushButton::clicked, this, &CVerifyResultDlg::Copy);
    connect(saveButton_, &QPushButton::clicked, this, [this] { SaveVerificationCsv(ui_, rows_); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    resize(kDialogWidth, kDialogHeight);
}

void CVerifyResultDlg::Copy() { QGuiApplication::clipboard()->setText(ToDisplayText(VerificationTabText(rows_))); }

}  // namespace varnel
