#include "exif/Uisomedia.h"

namespace exif {

bool LooksLikeIsoMedia(ByteSource& /*src*/) { return false; }

bool LocateIsoMedia(ByteSource& /*src*/, ContainerLayout& /*layout*/) { return false; }

}  // namespace exif
