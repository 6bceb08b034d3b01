// The progress display of a download: sizes, speed, the bar, percentage and remaining time.
#pragma once

#include <cstdint>
#include <string>

// Rounded to two decimals, halves away from zero; a tiny addend also lifts values whose
// double lies just below a half (1.005 gives 1.01).
double round_two_decimals(double x);

// The shortest decimal form with at most 13 significant digits: 120.56, 12.5, 3, 100.
std::string number_text(double x);

// The progress callback of the download: called on the download thread after every block.
void report_progress(std::int32_t total_length, std::int32_t bytes_so_far, std::int32_t elapsed_ms,
                     std::int32_t bytes_received);
