#pragma once

// A builder per command code; each yields the Request the main window frames
// and writes (HIDSendCmd for the parameter form, HIDSendCmdBuf for a block).

#include "link/CommandFrame.h"
#include "link/Settings.h"

#include <cstdint>
#include <string_view>

namespace vms::link::requests
{

Request getFirmware();                                                // "GF"
Request getStatus();                                                  // "GS"
Request getMemoryPage(std::uint16_t page);                            // "GM"
Request getGsmNumber(std::uint8_t index);                             // "GN"
Request setGsmNumber(std::uint8_t index, std::u16string_view number); // "SN"
Request getSmsText(std::uint8_t index);                               // "GP"
Request setSmsText(std::uint8_t index, std::u16string_view text);     // "SP", 32-byte block
Request getAlarm(AlarmGroup group);                                   // "GA" 'A' | 'D'
Request setAnalogAlarm(const AnalogAlarm& alarm);                     // "SA" 'A'
Request setDigitalTriggers(const DigitalTriggers& triggers);          // "SA" 'D'
Request getCoefficients();                                            // "GK" 'A'
Request setCoefficients(const Coefficients& coefficients);            // "SK" 'A'
Request getPhonebookRecord(std::uint16_t index);                      // "GC"
Request setPhonebookRecord(const PhonebookEntry& entry);              // "SC", 32-byte block
Request getRelayPeriod();                                             // "GO"
Request toggleRelay();                                                // "SO" 'T'
Request setRelayPeriod(std::uint8_t period);                          // "SO" 'P'
Request restartToBootloader();                                        // "SR" 'B'
Request sendTestSms();                                                // "ST" 'S'
Request setCallFunction(bool on);                                     // "SD" 'E'
Request formatMemory();                                               // "SF"

} // namespace vms::link::requests
