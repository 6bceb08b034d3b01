// Prints a fresh launch token for the updater, as a host program would build it.
//   mktoken [--noise | --ascii-noise] [--text TEXT] [--seed N]
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <random>
#include <string>
#include <string_view>

#include "launch_token_encoder.h"

namespace {

struct Options {
  std::string text{launch_text};
  bool noise = false;
  Noise noise_kind = Noise::with_full_width_blanks;
  std::mt19937::result_type seed = std::random_device{}();
};

[[noreturn]] void usage() {
  std::fputs("usage: mktoken [--noise | --ascii-noise] [--text TEXT] [--seed N]\n"
             "  --noise        insert blanks, CR LF pairs and full-width blanks in the body\n"
             "  --ascii-noise  insert blanks and CR LF pairs only\n"
             "  --text TEXT    encode TEXT (bytes 0x01-0x7F) instead of the launch text\n"
             "  --seed N       repeatable output\n", stderr);
  std::exit(2);
}

Options parse(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--noise") {
      options.noise = true;
    } else if (arg == "--ascii-noise") {
      options.noise = true;
      options.noise_kind = Noise::blanks_and_crlf;
    } else if (arg == "--text" && has_value) {
      options.text = argv[++i];
    } else if (arg == "--seed" && has_value) {
      options.seed = static_cast<std::mt19937::result_type>(std::strtoul(argv[++i], nullptr, 10));
    } else {
      usage();
    }
  }
  for (unsigned char c : options.text) {
    if (c == 0 || c >= 0x80) usage();
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const Options options = parse(argc, argv);
    std::mt19937 random(options.seed);
    std::string token = encode_random_launch_token(options.text, random);
    if (options.noise) token = add_noise(std::move(token), options.noise_kind, random);
    std::fwrite(token.data(), 1, token.size(), stdout);
    std::fputc('\n', stdout);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "mktoken: %s\n", e.what());
    return 1;
  }
}
