#pragma once
// Writing a picture as a PNG file through the system's Windows Imaging Component.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

// Writes width x height pixels (0x00RRGGBB, top row first) as a 24-bit PNG file, replacing
// one that is there. False when the file cannot be written; nothing is left behind then.
bool WritePngFile(const std::wstring& path, int width, int height, const std::vector<uint32_t>& pixels);

}  // namespace vantrel
