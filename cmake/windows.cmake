# Windows tree: the updater itself, the Windows-side unit tests and the test probe.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
add_link_options(-static)
# The resource script is UTF-8, like every other source.
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")

# libjpeg, built from Debian's source package by scripts/build-libjpeg.sh.
set(LIBJPEG_PREFIX ${CMAKE_SOURCE_DIR}/build/deps/libjpeg)
add_library(libjpeg STATIC IMPORTED)
set_target_properties(libjpeg PROPERTIES IMPORTED_LOCATION ${LIBJPEG_PREFIX}/lib/libjpeg.a
  INTERFACE_INCLUDE_DIRECTORIES ${LIBJPEG_PREFIX}/include)
target_link_libraries(updater_core PUBLIC libjpeg)

add_library(updater_win STATIC
  src/platform/exit_channel_win.cpp
  src/platform/file_numbers_win.cpp
  src/platform/files_win.cpp
  src/platform/gbk_win.cpp
  src/platform/http_get_win.cpp
  src/platform/internet_win.cpp
  src/platform/message_pump_win.cpp
  src/platform/process_win.cpp
  src/platform/shell_win.cpp
  src/download/http_download.cpp
  src/download/update_and_launch.cpp
  src/startup/executable_directory.cpp
  src/startup/orderly_exit.cpp
  src/startup/session.cpp
  src/startup/start_routine.cpp
  src/ui/background_win.cpp
  src/ui/control_state_win.cpp
  src/ui/main_window_handlers_win.cpp
  src/ui/main_window_win.cpp
  src/ui/plain_label_win.cpp
  src/ui/process_bar_win.cpp
  src/ui/properties_win.cpp
  src/ui/super_button_win.cpp
  src/ui/trans_label_win.cpp
  src/version/handoff.cpp
  src/version/manifest_fetch.cpp
  src/version/version_check.cpp
)
target_link_libraries(updater_win PUBLIC updater_core comctl32 shell32 wininet)

add_executable(updater WIN32 src/startup/main_win.cpp src/ui/resources/updater.rc)
target_link_libraries(updater PRIVATE updater_win)
target_link_options(updater PRIVATE -municode -s)

add_executable(orderly_exit_test tests/win/orderly_exit_test.cpp)
target_link_libraries(orderly_exit_test PRIVATE updater_win GTest::gtest)
add_test(NAME orderly_exit_test
  COMMAND orderly_exit_test --gtest_output=xml:Z:${CMAKE_BINARY_DIR}/results/orderly_exit_test.xml)

add_subdirectory(tests/probe)

# Stand-ins for the main program that the updater replaces, one build per version.
foreach(version v1 v2)
  add_executable(main_program_${version} WIN32 tests/e2e/mainprog/main_program.cpp)
  target_compile_definitions(main_program_${version} PRIVATE MAIN_PROGRAM_VERSION=L"${version}")
  target_link_options(main_program_${version} PRIVATE -municode -s)
endforeach()

add_executable(resources_test tests/win/resources_test.cpp)
target_link_libraries(resources_test PRIVATE updater_win GTest::gtest_main version)
target_compile_definitions(resources_test PRIVATE UPDATER_EXE="$<TARGET_FILE:updater>")
add_dependencies(resources_test updater)
add_test(NAME resources_test
  COMMAND resources_test --gtest_output=xml:Z:${CMAKE_BINARY_DIR}/results/resources_test.xml)

# Windows-side unit tests with GoogleTest's own main.
foreach(test properties_test file_numbers_test)
  add_executable(${test} tests/win/${test}.cpp)
  target_link_libraries(${test} PRIVATE updater_win GTest::gtest_main)
  add_test(NAME ${test} COMMAND ${test} --gtest_output=xml:Z:${CMAKE_BINARY_DIR}/results/${test}.xml)
endforeach()

# The program's resources (the background picture among them) are linked in.
add_executable(background_test tests/win/background_test.cpp src/ui/resources/updater.rc)
target_link_libraries(background_test PRIVATE updater_win GTest::gtest_main)
add_test(NAME background_test COMMAND background_test --gtest_output=xml:Z:${CMAKE_BINARY_DIR}/results/background_test.xml)

# Test-only: runs the download on a worker thread with a callback chosen on the command line
# (tests/e2e/test_download.py, tests/bench). With the program's resources, for the background.
add_executable(download_driver tests/win/download_driver.cpp src/ui/resources/updater.rc)
target_link_libraries(download_driver PRIVATE updater_win)
target_link_options(download_driver PRIVATE -municode)
