#include "startup/command_line.h"

#include "platform/gbk_bytes.h"

namespace {

bool is_separator(unsigned char byte) { return byte >= 0x01 && byte <= 0x20; }

// Returns the position of the first argument byte after the program path.
size_t skip_program_path(std::string_view line) {
  if (line.empty()) return 0;
  if (line[0] == '"') {
    size_t close = line.find('"', 1);
    if (close == std::string_view::npos) return line.size();
    size_t next = close + 1;
    return (next < line.size() && line[next] == ' ') ? next + 1 : next;
  }
  // An unquoted path ends at the first blank only; a tab or other control byte is part of it.
  size_t blank = line.find(' ');
  return blank == std::string_view::npos ? line.size() : blank + 1;
}

// Appends the character at `pos` (one byte, or a lead byte with its partner) to `argument`
// and returns the position after it. A lead byte that ends the line has no partner and is
// dropped; for a plain argument this is our choice, quoted ones are defined that way.
size_t take_character(std::string_view line, size_t pos, std::string& argument) {
  if (gbk::starts_double_byte(static_cast<unsigned char>(line[pos]))) {
    if (pos + 1 < line.size()) argument.append(line.substr(pos, 2));
    return pos + 2;
  }
  argument += line[pos];
  return pos + 1;
}

size_t read_quoted(std::string_view line, size_t pos, std::string& argument) {
  while (pos < line.size() && line[pos] != '"') pos = take_character(line, pos, argument);
  return pos < line.size() ? pos + 1 : line.size();
}

size_t read_plain(std::string_view line, size_t pos, std::string& argument) {
  while (pos < line.size() && line[pos] != '"' &&
         !is_separator(static_cast<unsigned char>(line[pos]))) {
    pos = take_character(line, pos, argument);
  }
  return pos < line.size() ? pos : line.size();
}

}  // namespace

std::vector<std::string> split_command_line(std::string_view line) {
  std::vector<std::string> arguments;
  size_t pos = skip_program_path(line);
  while (pos < line.size()) {
    const auto byte = static_cast<unsigned char>(line[pos]);
    if (is_separator(byte)) {
      ++pos;
      continue;
    }
    std::string argument;
    pos = byte == '"' ? read_quoted(line, pos + 1, argument) : read_plain(line, pos, argument);
    arguments.push_back(std::move(argument));
  }
  return arguments;
}
