#pragma once

// Where the imitation device keeps its settings in its 4096-byte memory
// (128 pages of 32 bytes, page p at p * 32). Multi-byte numbers are
// big-endian, as on the wire. A formatted memory is all zeros, which reads
// back as empty texts, switches off and zero values.
//
//  page  offset  size  content
//  0     0x000   1     relay pulse period, 100 ms units
//  0     0x001   1     call function: 1 on, 0 off
//  1     0x020   13    analog alarm group, as SA 'A' bytes 4..16:
//                        +0 maximum x10000 (s32), +4 minimum x10000 (s32),
//                        +8 repeat minutes (u16), +10 SMS count,
//                        +11 alarm on, +12 user's SMS texts
//  2     0x040   4     digital-input group: +0 trigger flags (bit 0..2 =
//                        input 1..3), +1..+3 detection delays of input 1..3
//  3     0x060   22    coefficients, as SK bytes 4..25: +0 K1, +4 N1, +8 K2,
//                        +12 N2 (x10000, s32), +16 offset 1, +18 offset 2
//                        (s16), +20 use voltage out 1, +21 of channel 2
//  4-6   0x080   96    six GSM numbers, 16 bytes each: up to 15 characters,
//                        zero-padded (byte 15 is always 0)
//  7-15  0x0E0   288   nine SMS texts, 32 bytes each: up to 30 characters,
//                        zero-padded (bytes 30 and 31 are always 0)
//  16-27 0x200   384   unused
//  28-127 0x380  3200  phonebook, 100 records of 32 bytes, one page each,
//                        laid out as the SC/GC record: +0 index (u16),
//                        +2 number (15) +17 0, +18 note (6) +24 0,
//                        +25 active flag, +26..31 0

#include <cstddef>

namespace device::memory_map
{

inline constexpr std::size_t RelayPeriod = 0x000;
inline constexpr std::size_t CallFunction = 0x001;

inline constexpr std::size_t AnalogAlarm = 0x020;
inline constexpr std::size_t AnalogAlarmSize = 13;

inline constexpr std::size_t DigitalInputs = 0x040;
inline constexpr std::size_t DigitalInputsSize = 4;

inline constexpr std::size_t Coefficients = 0x060;
inline constexpr std::size_t CoefficientsSize = 22;

inline constexpr std::size_t GsmNumbers = 0x080;
inline constexpr std::size_t GsmNumberCount = 6;
inline constexpr std::size_t GsmNumberSize = 16;
inline constexpr std::size_t GsmNumberChars = 15;

inline constexpr std::size_t SmsTexts = 0x0E0;
inline constexpr std::size_t SmsTextCount = 9;
inline constexpr std::size_t SmsTextSize = 32;
inline constexpr std::size_t SmsTextChars = 30;

inline constexpr std::size_t Phonebook = 0x380;
inline constexpr std::size_t PhonebookCount = 100;
inline constexpr std::size_t PhonebookRecordSize = 32;
inline constexpr std::size_t PhonebookNumberChars = 15;
inline constexpr std::size_t PhonebookNoteChars = 6;

static_assert(GsmNumbers + GsmNumberCount * GsmNumberSize <= SmsTexts);
static_assert(SmsTexts + SmsTextCount * SmsTextSize <= Phonebook);
static_assert(Phonebook + PhonebookCount * PhonebookRecordSize == 4096);

} // namespace device::memory_map
