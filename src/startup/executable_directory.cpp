#include "startup/executable_directory.h"

#include "platform/process.h"
#include "startup/path_text.h"

namespace {
// Written once by the window thread before any worker exists.
std::string* directory = nullptr;
}

void determine_executable_directory() {
  directory = new std::string(directory_of(platform::executable_path()));
}

std::string executable_directory() { return directory ? *directory : std::string(); }
