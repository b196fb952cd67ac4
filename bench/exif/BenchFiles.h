// Camera-like JPEG files for the benchmark.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Writes nFiles files into folder: a real EXIF block (IFD0, Exif sub-IFD with a maker note,
// Interoperability IFD, thumbnail IFD1 with its thumbnail) followed by cbImage bytes of image
// data. Each file has its own dates. Returns the paths.
std::vector<std::string> MakeCameraFiles(const std::string& folder, int nFiles, std::size_t cbImage);

// One file of cbTotal bytes: with the EXIF block at its start, or with no EXIF block at all
// (a JPEG whose search must go through the whole file).
std::string MakeLargeFile(const std::string& folder, std::size_t cbTotal, bool bWithExif);
