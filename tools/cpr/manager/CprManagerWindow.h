#pragma once
// The stand-in redirector manager's window: the virtual ports it made (device, host, TCP
// port, whether the bridge runs), an Add/Remove group with the Host and TCP Port fields, and
// File/Exit. Closing the window leaves the bridges running; the list is read again every
// second, so ports added or removed from the command line show up too.

#include <QMainWindow>

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTimer;

class CprManagerWindow : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int kRefreshMs = 1000;

    explicit CprManagerWindow(QWidget* parent = nullptr);

    QTableWidget* PortTable() const { return portTable_; }
    QLineEdit* HostEdit() const { return hostEdit_; }
    QLineEdit* TcpPortEdit() const { return tcpPortEdit_; }
    QPushButton* AddButton() const { return addButton_; }
    QPushButton* RemoveButton() const { return removeButton_; }
    QLabel* StatusLabel() const { return statusLabel_; }

private:
    void AddButtonClick();
    void RemoveButtonClick();
    void RefreshTimerTimer();
    void PortTableSelectionChanged();
    // Fills the table from the book, keeping the selected device selected.
    void Reload(const QString& select = QString());
    QString SelectedDevice() const;
    void SetStatus(const QString& text);

    QTableWidget* portTable_;
    QLineEdit* hostEdit_;
    QLineEdit* tcpPortEdit_;
    QPushButton* addButton_;
    QPushButton* removeButton_;
    QLabel* statusLabel_;
    QAction* exitAction_;
    QTimer* refreshTimer_;
};
