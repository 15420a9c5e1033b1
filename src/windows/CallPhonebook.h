#pragma once

#include "link/Replies.h"

#include <QWidget>

#include <cstdint>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace windows
{

class Gauge;

// Call phonebook (unit CallPhonebook): switches the call function and reads
// and writes the device's 100 call numbers.
class TfrmCallPhonebook : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmCallPhonebook(QWidget* parent = nullptr);

    QPushButton* btnEnableCallFunction = nullptr;
    QPushButton* btnDissableCallFunction = nullptr;
    // Shown and enabled only while the device reports its call function on.
    QFrame* panCallNumbers = nullptr;

    // The window's only copy of the phonebook: row r shows record index r.
    QTableWidget* Grid1 = nullptr;
    QPushButton* btnPhonebookRead = nullptr;
    Gauge* sGauge1 = nullptr;
    QLabel* sLabel3 = nullptr;
    QLineEdit* edCallNmbrField = nullptr;
    QCheckBox* cbCallNmbrAktivan = nullptr;
    QLabel* sLabel1 = nullptr;
    QLineEdit* edGSMCallNumber = nullptr;
    QLabel* sLabel4 = nullptr;
    QLabel* sLabel2 = nullptr;
    QLineEdit* edCallNapomena = nullptr;
    QLabel* sLabel5 = nullptr;
    QPushButton* btnSetOnePhonebookRecord = nullptr;

    // Chained read: the next index to request and the last one (inclusive).
    std::uint16_t GSMCallPhoneBookReadPointer = 0;
    std::uint16_t GSMCallPhoneBookReadStop = 0;

    // Set while an "SC" write waits for its acknowledgement.
    bool WaitForOk = false;

    // "GC" reply: one phonebook record of a chained read.
    void HandlePhonebookRecord(const vms::link::PhonebookRecord& reply);

    void btnEnableCallFunctionClick();
    void btnDissableCallFunctionClick();
    void btnPhonebookReadClick();
    void btnSetOnePhonebookRecordClick();
    void Grid1ColRowChanged(int ACol, int ARow);
    void Grid1GutterClick(int ARow);
    void edCallNapomenaChange();

private:
    QString cellText(int row, int column) const;
    void setCellText(int row, int column, const QString& text);
    void selectRow(int row);
    void buildPanel();
};

} // namespace windows
