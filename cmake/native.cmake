# Native tree: the portable code, its unit tests and the host-side tools, all under
# AddressSanitizer and UndefinedBehaviorSanitizer.
find_package(JPEG REQUIRED)
target_link_libraries(updater_core PUBLIC JPEG::JPEG)

set(sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(${sanitizers})
add_link_options(${sanitizers})

add_library(token_encoder STATIC tools/launch_token_encoder.cpp)
target_link_libraries(token_encoder PUBLIC updater_core)
target_include_directories(token_encoder PUBLIC tools)

add_executable(mktoken tools/mktoken/mktoken.cpp)
target_link_libraries(mktoken PRIVATE token_encoder)

# The window's property operations are replaced by a recording stand-in.
add_executable(mkmanifest tools/mkmanifest/mkmanifest.cpp)
target_link_libraries(mkmanifest PRIVATE updater_core)

add_executable(unit_tests
  tests/unit/recorded_properties.cpp
  tests/unit/progress_report_test.cpp
  tests/unit/command_line_test.cpp
  tests/unit/launch_token_test.cpp
  tests/unit/path_text_test.cpp
  tests/unit/web_address_test.cpp
  tests/unit/text_search_test.cpp
  tests/unit/profile_text_test.cpp
  tests/unit/http_address_test.cpp
  tests/unit/jpeg_picture_test.cpp
)
target_link_libraries(unit_tests PRIVATE token_encoder GTest::gtest_main)
add_test(NAME unit_tests COMMAND unit_tests --gtest_output=xml:${CMAKE_BINARY_DIR}/results/unit_tests.xml)
target_compile_definitions(unit_tests PRIVATE
  HOST_INTEGRATION_DOC="${CMAKE_SOURCE_DIR}/docs/host-integration.md"
  BACKGROUND_JPEG="${CMAKE_SOURCE_DIR}/src/ui/resources/background.jpg")
