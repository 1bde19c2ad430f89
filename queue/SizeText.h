// The size text shown beside each queued file.
#pragma once

#include <cstdint>
#include <string>

// Kilobytes with one decimal below 1,048,576 bytes ("%4.1f KB"), megabytes from there up
// ("%4.1f MB"). A value exactly halfway between two tenths rounds up (256 bytes gives
// " 0.3 KB"); worked out in whole numbers, since C libraries disagree on exact halves.
std::string FormatSizeText(std::uint64_t bytes);
