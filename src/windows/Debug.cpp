#include "windows/Debug.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace windows
{

TfrmDebug::TfrmDebug(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmDebug"));
    setWindowTitle(QStringLiteral("Debug"));

    auto makeLabel = [this](const char* name, const char* caption, bool panelColour) {
        auto* label = new QLabel(QString::fromUtf8(caption), this);
        label->setObjectName(QString::fromLatin1(name));
        if (panelColour) {
            QPalette palette = label->palette();
            palette.setColor(QPalette::WindowText, QColor(66, 72, 80));
            label->setPalette(palette);
        }
        return label;
    };
    auto makeEdit = [this](const char* name) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, QColor(237, 245, 255));
        palette.setColor(QPalette::Text, Qt::black);
        edit->setPalette(palette);
        return edit;
    };

    sLabel1 = makeLabel("sLabel1", "MainStateM", true);
    sLabel2 = makeLabel("sLabel2", "SMSListState", true);
    sLabel3 = makeLabel("sLabel3", "GSM_Init_State", true);
    sLabel4 = makeLabel("sLabel4", "GSMLiveRemaining", true);
    sLabel5 = makeLabel("sLabel5", "USARTDataReady(GSM_UART)", true);
    sLabel6 = makeLabel("sLabel6", "RaportSMSStateM", true);
    sLabel7 = makeLabel("sLabel7", "SendSMSTextStateM", true);
    sLabel8 = makeLabel("sLabel8", "ANAlarmDebounceCntr", false);
    sEdit1 = makeEdit("sEdit1");
    sEdit2 = makeEdit("sEdit2");
    sEdit3 = makeEdit("sEdit3");
    sEdit4 = makeEdit("sEdit4");
    sEdit5 = makeEdit("sEdit5");
    sEdit6 = makeEdit("sEdit6");
    sEdit7 = makeEdit("sEdit7");
    sEdit8 = makeEdit("sEdit8");
    sEdit8->setMinimumWidth(220);
    sEdit9 = makeEdit("sEdit9");

    auto* grid = new QGridLayout(this);
    QLabel* labels[] = {sLabel1, sLabel2, sLabel3, sLabel4, sLabel5, sLabel6, sLabel7, sLabel8};
    QLineEdit* edits[] = {sEdit1, sEdit2, sEdit3, sEdit4, sEdit5, sEdit6, sEdit7, sEdit9};
    for (int row = 0; row < 8; ++row) {
        grid->addWidget(labels[row], row, 0);
        grid->addWidget(edits[row], row, 1);
    }
    grid->addWidget(sEdit8, 0, 2);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(8, 1);
}

} // namespace windows
