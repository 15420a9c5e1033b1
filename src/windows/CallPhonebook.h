#pragma once

#include "link/Replies.h"

#include <QWidget>

class QFrame;
class QPushButton;

namespace windows
{

// Call phonebook (unit CallPhonebook).
class TfrmCallPhonebook : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmCallPhonebook(QWidget* parent = nullptr);

    QPushButton* btnEnableCallFunction = nullptr;
    QPushButton* btnDissableCallFunction = nullptr;
    // Shown and enabled only while the device reports its call function on.
    QFrame* panCallNumbers = nullptr;

    // Set while an "SC" write waits for its acknowledgement.
    bool WaitForOk = false;

    // "GC" reply: one phonebook record of a chained read.
    void HandlePhonebookRecord(const vms::link::PhonebookRecord& reply);
};

} // namespace windows
