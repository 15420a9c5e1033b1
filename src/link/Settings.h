#pragma once

// Typed values of the settings groups, shared by the request builders and
// the reply decoder.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vms::link
{

inline constexpr std::uint8_t kGsmNumberCount = 6;     // indices 0..5
inline constexpr std::uint8_t kSmsTextCount = 9;       // indices 0..8
inline constexpr std::uint16_t kPhonebookSize = 100;   // indices 0..99
inline constexpr std::uint16_t kMemoryPageCount = 128; // pages 0..127
inline constexpr std::size_t kMemoryPageSize = 32;

inline constexpr std::size_t kGsmNumberMaxChars = 15;
inline constexpr std::size_t kSmsTextMaxChars = 30;
inline constexpr std::size_t kPhonebookNumberMaxChars = 15;
inline constexpr std::size_t kPhonebookNoteMaxChars = 6;

// "GA"/"SA" group selector, sent in report byte 3.
enum class AlarmGroup : char16_t { Analog = u'A', Digital = u'D' };

// The analog alarm group ("GA"/"SA" with 'A'). Limits are fixed-point.
struct AnalogAlarm {
    std::int32_t maximum = 0;
    std::int32_t minimum = 0;
    std::uint16_t repeatMinutes = 0;
    std::uint8_t smsCount = 0;
    bool alarmOn = false;
    // A reply byte other than 0 or 1 leaves the check box as it is: nullopt.
    // A write sends 1 only for true.
    std::optional<bool> customTexts;

    friend bool operator==(const AnalogAlarm&, const AnalogAlarm&) = default;
};

// The digital-input group ("GA"/"SA" with 'D'): trigger switch and detection
// delay (100 ms steps) of inputs 1..3.
struct DigitalTriggers {
    std::array<bool, 3> trigger{};
    std::array<std::uint8_t, 3> delay{};

    friend bool operator==(const DigitalTriggers&, const DigitalTriggers&) = default;
};

// The analog input coefficients ("GK"/"SK" with 'A'); k and n are fixed-point.
struct Coefficients {
    std::int32_t k1 = 0;
    std::int32_t n1 = 0;
    std::int32_t k2 = 0;
    std::int32_t n2 = 0;
    std::int16_t offset1 = 0;
    std::int16_t offset2 = 0;
    bool useVoltageOut1 = false;
    bool useVoltageOut2 = false;

    friend bool operator==(const Coefficients&, const Coefficients&) = default;
};

// One phonebook record to write ("SC"). Longer texts are cut to their fields.
struct PhonebookEntry {
    std::uint16_t index = 0; // record number minus 1
    std::u16string number;
    std::u16string note;
    bool active = false;
};

} // namespace vms::link
