// Decoding of launch tokens: four ignored bytes, five two-byte rotation fields, then a
// Base64-style body written with a decode table of our own. The decoder never fails: every
// input yields a text, possibly empty.
#pragma once

#include <array>
#include <string>
#include <string_view>

// Called after every group of four body characters, so that the window thread keeps handling
// its messages (and exit requests from workers) in the middle of a decode.
using GroupHook = void (*)();

using RotationFields = std::array<int, 5>;

std::string decode_launch_token(std::string_view token, GroupHook after_each_group);

std::string keyed_base64_decode(std::string_view text, std::string_view key,
                                GroupHook after_each_group);

// Reverses a text a unit at a time, where the unit is decided by the lead-byte test of the
// last byte still left (not of the byte before it).
std::string reverse_characters(std::string_view text);

// Reads one rotation field the way a standard decimal conversion does (full-width forms
// folded first), cut toward zero; a field with no number reads as 0.
int read_rotation_field(std::string_view field);

RotationFields read_rotation_fields(std::string_view text);

// The distinct characters of the rotated key + seed_one + seed_two, then "+/".
std::string build_decode_table(std::string_view key, const RotationFields& rotations);

// The body with its blanks, full-width blanks and CR LF pairs taken out.
std::string strip_body_noise(std::string_view body);
