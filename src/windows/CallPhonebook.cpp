#include "windows/CallPhonebook.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace windows
{

TfrmCallPhonebook::TfrmCallPhonebook(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmCallPhonebook"));
    setWindowTitle(QStringLiteral("Call Numbers Phonebook"));

    btnEnableCallFunction = new QPushButton(QStringLiteral("Uključi Call funkciju"), this);
    btnEnableCallFunction->setObjectName(QStringLiteral("btnEnableCallFunction"));
    btnDissableCallFunction = new QPushButton(QStringLiteral("Isključi Call funkciju"), this);
    btnDissableCallFunction->setObjectName(QStringLiteral("btnDissableCallFunction"));
    panCallNumbers = new QFrame(this);
    panCallNumbers->setObjectName(QStringLiteral("panCallNumbers"));
    panCallNumbers->setFrameShape(QFrame::StyledPanel);

    auto* top = new QHBoxLayout;
    top->addWidget(btnEnableCallFunction);
    top->addWidget(btnDissableCallFunction);
    top->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(panCallNumbers, 1);
}

void TfrmCallPhonebook::HandlePhonebookRecord(const vms::link::PhonebookRecord& /*reply*/) {}

} // namespace windows
