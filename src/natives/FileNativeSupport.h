#pragma once
// What the archive, file and folder natives share beyond their binders.
#include <cstdint>

namespace orrivel {

// A member's time stamp (seconds since 1970) as a packed DOS date and time
// in local time: year - 1980 in bits 25-31, month in 21-24, day in 16-20,
// hour in 11-15, minute in 5-10, seconds halved in 0-4. 0 stays 0; a time
// before 1980 packs as 1980-01-01 00:00:00, one after 2107 as the last
// second that fits.
uint32_t PackDosTime(uint32_t timeStamp);

}  // namespace orrivel
