# kxpsui-host: its JSON writer and options in process, the command itself
# (both under Wine in the Windows build); and, in the Linux tree, the JSON of
# both builds compared byte for byte.
kx_test_executable(kx_tool_tests DIRS tool LINK kxhost)
kx_add_test(tool_tests kx_tool_tests)

# A module that loads but lacks the plug-in's exports.
add_library(kx_tool_noexports SHARED tool/no_exports/no_exports.cpp)
set_target_properties(kx_tool_noexports PROPERTIES PREFIX "")
kx_target_defaults(kx_tool_noexports)
add_dependencies(kx_tool_tests kxpsui-host kx_tool_noexports)

# The command as a user runs it: its exit statuses and errors, and its
# reports read by a script.
set(kx_tool_runner -- ${CMAKE_CROSSCOMPILING_EMULATOR})
add_test(NAME tool_command
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/tool/cli_test.py
    --tool $<TARGET_FILE:kxpsui-host> --no-exports $<TARGET_FILE:kx_tool_noexports>
    --source ${PROJECT_SOURCE_DIR} --work ${CMAKE_CURRENT_BINARY_DIR}/tool_command ${kx_tool_runner})
add_test(NAME tool_report
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/tool/report_test.py
    --tool $<TARGET_FILE:kxpsui-host> --source ${PROJECT_SOURCE_DIR} --work ${CMAKE_CURRENT_BINARY_DIR}/tool_report
    ${kx_tool_runner})
if(CMAKE_CROSSCOMPILING)
  set_tests_properties(tool_command tool_report PROPERTIES RESOURCE_LOCK kx_wine_prefix_locale)
endif()

# Both builds, live: the sample and three corpus PPDs (a Latin-1 one with
# installable options, the Shift-JIS one, the largest) under three locales.
if(NOT WIN32 AND KX_WINDOWS_BUILD_DIR)
  set(corpus ${PROJECT_SOURCE_DIR}/../shared/corpus/ppd)
  add_test(NAME tool_json_matches_windows
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/tool/compare_builds.py
      --linux-tool $<TARGET_FILE:kxpsui-host>
      --windows-tool ${KX_WINDOWS_BUILD_DIR}/bin/kxpsui-host.exe
      --wine-run ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh --prefix ${KX_WINDOWS_BUILD_DIR}/wineprefix
      --work ${CMAKE_CURRENT_BINARY_DIR}/tool_compare
      --locales en_US.UTF-8,de_DE.UTF-8,ja_JP.UTF-8
      ${PROJECT_SOURCE_DIR}/samples/kx-color-page.ppd
      ${corpus}/10-latin1-8f-37c-inst.ppd ${corpus}/31-sjis-19f-298c-inst.ppd ${corpus}/57-latin1-70f-9244c-inst.ppd)
  set_tests_properties(tool_json_matches_windows PROPERTIES RESOURCE_LOCK kx_wine_prefix_locale TIMEOUT 600)
endif()
