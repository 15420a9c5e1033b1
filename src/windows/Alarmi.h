#pragma once

#include "link/Replies.h"

#include <QWidget>

#include <cstdint>
#include <initializer_list>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace windows
{

class Gauge;

// Alarm settings and SMS texts (unit Alarmi).
class TfrmAlarmi : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmAlarmi(QWidget* parent = nullptr);

    // Set while an "SP" write waits for its acknowledgement.
    bool WaitForOk = false;
    // Index of the SMS text asked for last by the chained read.
    std::uint8_t SMSNumbReadPointer = 0;

    // "GP" reply: one SMS text of a chained read.
    void HandleSmsText(const vms::link::SmsText& reply);

    // "GA" reply with the analog alarm group.
    void HandleAnalogAlarm(const vms::link::AnalogAlarm& reply);

    // "GA" reply with the digital-input group.
    void HandleDigitalTriggers(const vms::link::DigitalTriggers& reply);

    // Asks for one text on its own: unless a chain is running, its answer
    // fills its control and asks for nothing more.
    void ReadSingleSmsText(std::uint8_t index);

    // Sets WaitForOk and sends one "SP"; the caller waits for the answer. An
    // empty text is not sent and gives false: there is nothing to wait for.
    bool SendSmsText(std::uint8_t index, const QString& text);

    // False, after telling the user, when a text holds a character the device
    // cannot store (it keeps one byte per character, codes 0..255).
    bool SmsTextsFit(QWidget* parent, std::initializer_list<const QLineEdit*> edits);

    // Upper panel: the analog alarm.
    QFrame* sPanel2 = nullptr;
    QLabel* sLabel1 = nullptr;
    QLabel* sLabel3 = nullptr;
    QLineEdit* edANAlarmMaxVal = nullptr;
    QLabel* sLabel4 = nullptr;
    QLineEdit* edANAlarmMinVal = nullptr;
    QLabel* sLabel5 = nullptr;
    QLineEdit* edANVremePonavljanja = nullptr;
    QLabel* sLabel20 = nullptr;
    QLineEdit* edMaxSMSForSendind = nullptr;
    QCheckBox* cbAN1AlarmOn = nullptr;
    QCheckBox* cbCustomANAlarmSMSs = nullptr;
    QPushButton* btGetAnalogAlarmSettings = nullptr;
    QPushButton* btSetAnalogAlarmSettings = nullptr;
    // Channel 2: hidden, never read or written.
    QLabel* sLabel2 = nullptr;
    QLineEdit* sEdit3 = nullptr;
    QLineEdit* sEdit4 = nullptr;
    QLineEdit* sEdit6 = nullptr;
    QCheckBox* sCheckBox5 = nullptr;
    // The analog alarm texts.
    Gauge* gaSMSGauge2 = nullptr;
    QLabel* sLabel6 = nullptr;
    QLineEdit* edSMSAlarmMax = nullptr;
    QLabel* sLabel7 = nullptr;
    QLineEdit* edSMSAlarmMin = nullptr;
    QPushButton* btSMSProcitaj = nullptr;
    QPushButton* btSMSUpisi = nullptr;

    // Lower panel: the digital inputs and their texts.
    QFrame* sPanel1 = nullptr;
    QFrame* sPanel3 = nullptr;
    QLabel* sLabel13 = nullptr;
    QLineEdit* edDebounceDelayDIN1 = nullptr;
    QLabel* sLabel19 = nullptr;
    QCheckBox* cbDINTr1 = nullptr;
    QLabel* sLabel15 = nullptr;
    QLineEdit* edDebounceDelayDIN2 = nullptr;
    QLabel* sLabel17 = nullptr;
    QCheckBox* cbDINTr2 = nullptr;
    QLabel* sLabel16 = nullptr;
    QLineEdit* edDebounceDelayDIN3 = nullptr;
    QLabel* sLabel18 = nullptr;
    QCheckBox* cbDINTr3 = nullptr;
    QPushButton* btnGetDINTrigers = nullptr;
    QPushButton* btnSetDINTrigers = nullptr;
    QLabel* sLabel14 = nullptr;
    QLabel* sLabel8 = nullptr;
    QLineEdit* edSMSDIN1_DN = nullptr;
    QLabel* sLabel10 = nullptr;
    QLineEdit* edSMSDIN2_DN = nullptr;
    QLabel* sLabel11 = nullptr;
    QLineEdit* edSMSDIN3_DN = nullptr;
    QLabel* sLabel12 = nullptr;
    QLineEdit* edSMSDIN1_UP = nullptr;
    QLabel* sLabel21 = nullptr;
    QLineEdit* edSMSDIN2_UP = nullptr;
    QLabel* sLabel22 = nullptr;
    QLineEdit* edSMSDIN3_UP = nullptr;
    QPushButton* GetSMSs = nullptr;
    QPushButton* SetSMSs = nullptr;
    Gauge* gaSMSGauge1 = nullptr;
    QLabel* sLabel9 = nullptr;

    void btGetAnalogAlarmSettingsClick();
    void btSetAnalogAlarmSettingsClick();
    void btnGetDINTrigersClick();
    void btnSetDINTrigersClick();
    void GetSMSsClick();
    void SetSMSsClick();
    void btSMSProcitajClick();
    void btSMSUpisiClick();
    void edSMSDIN1_UPChange();
    void edSMSDIN2_UPChange();
    void edSMSDIN3_UPChange();
    void edSMSDIN1_DNChange();
    void edSMSDIN2_DNChange();
    void edSMSDIN3_DNChange();

private:
    void buildAnalogPanel();
    void buildDigitalPanel();
    void startChain(std::uint8_t first, Gauge* gauge, int maximum);
    QLineEdit* smsTextEdit(std::uint8_t index) const;

    // A chain runs from its starter until the reply that moves the pointer
    // past the last text.
    bool m_chainActive = false;
};

} // namespace windows
