#include "startup/command_line.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
  const char* name;
  std::string line;
  std::vector<std::string> arguments;
};

const SplitCase kSplitCases[] = {
    {"empty line", "", {}},
    {"path alone", "updater.exe", {}},
    {"one argument", "updater.exe tok", {"tok"}},
    {"quoted path with blanks", "\"C:\\Program Files\\x\\updater.exe\" tok", {"tok"}},
    {"quoted path without blank after it", "\"C:\\a b\\updater.exe\"tok", {"tok"}},
    {"unterminated quoted path", "\"C:\\a b\\updater.exe tok", {}},
    {"unquoted path ends at a blank only", "updater.exe\ttok", {}},
    {"extra blanks", "updater.exe   a   b ", {"a", "b"}},
    {"tab separates", "updater.exe a\tb", {"a", "b"}},
    {"CR LF and control bytes separate", "updater.exe \r\na\x01\x1f" "b\r\n", {"a", "b"}},
    {"quoted argument keeps blanks", "updater.exe \"a b\"", {"a b"}},
    {"empty quotes are an argument", "updater.exe \"\"", {""}},
    {"token then empty quotes", "updater.exe tok \"\"", {"tok", ""}},
    {"two quotes in a row inside", "updater.exe \"a\"\"b\"", {"a", "b"}},
    {"plain then quoted without separator", "updater.exe a\"b c\"", {"a", "b c"}},
    {"unterminated quote runs to the end", "updater.exe \"a b\r\nc", {"a b\r\nc"}},
    {"backslash is no escape", "updater.exe a\\\"b\"", {"a\\", "b"}},
    {"quoted CR LF stays", "updater.exe \"a\r\nb\"", {"a\r\nb"}},
    {"second byte never separates", "updater.exe \x81 x", {"\x81 x"}},
    {"second byte never closes a quote", "updater.exe \"\x81\"\"", {"\x81\""}},
    {"GBK text whole", "updater.exe \xD6\xD0\xCE\xC4", {"\xD6\xD0\xCE\xC4"}},
    {"lone lead byte ends a plain argument", "updater.exe ab\x81", {"ab"}},
    {"lone lead byte ends a quoted argument", "updater.exe \"ab\x81", {"ab"}},
    {"lone lead byte as the whole argument", "updater.exe \x81", {""}},
};

class SplitCommandLine : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLine, YieldsTheArguments) {
  EXPECT_EQ(split_command_line(GetParam().line), GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(Cases, SplitCommandLine, testing::ValuesIn(kSplitCases),
                         [](const auto& info) {
                           std::string name = info.param.name;
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

}  // namespace
