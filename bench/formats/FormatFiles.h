// Raw files and videos of a camera's size for the benchmark, made from small files that
// ImageMagick, ffmpeg and exiftool write, grown to size with holes so that they cost little disk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// nFiles TIFF-structured raw files (both byte orders) with the three EXIF dates, each
// qwSize bytes: the image data runs on after the metadata, as in a camera's raw file.
std::vector<std::string> MakeRawFiles(const std::string& folder, int nFiles, std::uint64_t qwSize);
// nFiles MP4 videos with movie, track and media times and a QuickTime creation date, each
// qwSize bytes, their movie box after the media data, as cameras and phones write them.
std::vector<std::string> MakeVideos(const std::string& folder, int nFiles, std::uint64_t qwSize);
