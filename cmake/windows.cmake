# Windows tree: the updater itself, the Windows-side unit tests and the test probe.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
add_link_options(-static)

add_library(updater_win STATIC
  src/platform/gbk_win.cpp
  src/platform/pending_events_win.cpp
  src/platform/process_win.cpp
  src/platform/exit_channel_win.cpp
  src/startup/session.cpp
  src/startup/orderly_exit.cpp
  src/startup/start_routine.cpp
  src/ui/main_window_win.cpp
)
target_link_libraries(updater_win PUBLIC updater_core)

add_executable(updater WIN32 src/startup/main_win.cpp src/ui/resources/updater.rc)
target_link_libraries(updater PRIVATE updater_win)
set_target_properties(updater PROPERTIES OUTPUT_NAME updater)

add_executable(orderly_exit_test tests/win/orderly_exit_test.cpp)
target_link_libraries(orderly_exit_test PRIVATE updater_win GTest::gtest_main)
add_test(NAME orderly_exit_test
  COMMAND orderly_exit_test --gtest_output=xml:${CMAKE_BINARY_DIR}/results/orderly_exit_test.xml)

add_subdirectory(tests/probe)
