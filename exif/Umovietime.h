// Movie header times (seconds since 1904-01-01 UTC) and ISO 8601 date texts of fixed length,
// to and from the local calendar time the rest of the engine works in.
#pragma once

#include "exif/Ucontainer.h"
#include "platform/wintypes.h"

#include <string_view>
#include <vector>

namespace exif {

// The local time of a movie time (with the offset in force at that date); false for 0 (unset)
// or a time outside 1601-9999.
bool MovieTimeToLocal(std::uint64_t qwSeconds, FILETIME& ftLocal);
// The field's new bytes (big-endian, the field's width) for a local time; false when the time
// has no UTC counterpart or does not fit the field.
bool MovieTimeBytes(const MovieTimeField& field, const FILETIME& ftLocal, std::vector<BYTE>& abNew);
// The local time an ISO 8601 date text names (its own zone ignored: the digits are local time).
bool IsoTextToLocal(std::string_view text, FILETIME& ftLocal);
// The text with its date and time digits set from the local time, its length, shape and zone
// kept; false when the text is not such a date.
bool IsoTextTimeBytes(std::string_view text, const FILETIME& ftLocal, std::vector<BYTE>& abNew);

}  // namespace exif
