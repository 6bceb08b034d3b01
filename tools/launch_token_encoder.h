// Host-side encoding of launch tokens: the inverse of the updater's decoder, for texts of
// bytes 0x01 to 0x7F.
#pragma once

#include <random>
#include <string>
#include <string_view>

#include "startup/launch_token.h"

// Four lead bytes (ignored by the decoder), the rotation fields as two digits each, and the
// reversed text written in the decode table those fields select. Fields must be 0 to 99.
std::string encode_launch_token(std::string_view plain, std::string_view lead,
                                const RotationFields& rotations);

// A token with random lead bytes and random rotation fields.
std::string encode_random_launch_token(std::string_view plain, std::mt19937& random);

enum class Noise { blanks_and_crlf, with_full_width_blanks };

// Inserts blanks and CR LF pairs (and full-width blanks) at random places of the body. At
// least one plain blank is always among them, so that a launcher that quotes only arguments
// with blanks still passes the token as one argument.
std::string add_noise(std::string token, Noise kind, std::mt19937& random);

// The text the host and the updater agree on; see docs/host-integration.md.
extern const std::string_view launch_text;
