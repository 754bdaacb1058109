#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace varnel {

// The running printer operation in the status bar: its name and step, a bar that fills as the
// operation counts its work (busy when it cannot), and Cancel where the operation can stop
// safely. Hidden while nothing runs.
class OperationStatus : public QWidget {
    Q_OBJECT
public:
    enum class CancelButton { Offered, NotOffered };

    explicit OperationStatus(QWidget* parent = nullptr);

    void Begin(const QString& name, CancelButton cancel);
    void ShowProgress(const QString& step, qint64 done, qint64 total);
    // The window closes once the operation is done; said here until then.
    void NoteCloseRemembered();
    void End();

    QString text() const;
    QProgressBar* bar() const { return bar_; }
    QPushButton* cancelButton() const { return cancel_; }

signals:
    void CancelClicked();

private:
    void UpdateLabel();

    QLabel* label_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QString name_;
    QString step_;
    bool closeRemembered_ = false;
    bool cancelling_ = false;
};

}  // namespace varnel
