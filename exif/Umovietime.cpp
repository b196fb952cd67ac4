#include "exif/Umovietime.h"

namespace exif {

bool MovieTimeToLocal(std::uint64_t, FILETIME&) { return false; }
bool MovieTimeBytes(const MovieTimeField&, const FILETIME&, std::vector<BYTE>&) { return false; }
bool IsoTextToLocal(std::string_view, FILETIME&) { return false; }
bool IsoTextTimeBytes(std::string_view, const FILETIME&, std::vector<BYTE>&) { return false; }

}  // namespace exif
