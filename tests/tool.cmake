# kxpsui-host: its JSON writer and options in process, the command itself
# (both under Wine in the Windows build); and, in the Linux tree, the JSON of
# both builds compared byte for byte.
kx_test_executable(kx_tool_tests DIRS tool LINK kxtool)
kx_add_test(tool_tests kx_tool_tests)

# A module that loads but lacks the plug-in's exports, and a plug-in that is
# not kxpsui (what it does is chosen by KX_FOREIGN_PLUGIN).
add_library(kx_tool_noexports SHARED tool/no_exports/no_exports.cpp)
set_target_properties(kx_tool_noexports PROPERTIES PREFIX "")
kx_target_defaults(kx_tool_noexports)
add_library(kx_tool_foreign SHARED tool/foreign_plugin/foreign_plugin.cpp)
set_target_properties(kx_tool_foreign PROPERTIES PREFIX "")
kx_target_defaults(kx_tool_foreign)
target_link_libraries(kx_tool_foreign PRIVATE kxplatform)
add_dependencies(kx_tool_tests kxpsui-host kx_tool_noexports kx_tool_foreign)
# What a shared spooler holds, for the command's tests under Wine.
if(WIN32)
  add_executable(kx_spooler_probe tool/spooler_probe/spooler_probe.cpp)
  kx_target_defaults(kx_spooler_probe)
  target_link_libraries(kx_spooler_probe PRIVATE kxhost kxplatform)
  add_dependencies(kx_tool_tests kx_spooler_probe)
endif()

# The command as a user runs it: its exit statuses and errors, and its
# reports read by a script.
set(kx_tool_runner -- ${CMAKE_CROSSCOMPILING_EMULATOR})
if(WIN32)
  set(kx_tool_probe --probe $<TARGET_FILE:kx_spooler_probe>)
endif()
add_test(NAME tool_command
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/tool/cli_test.py
    --tool $<TARGET_FILE:kxpsui-host> --no-exports $<TARGET_FILE:kx_tool_noexports>
    --foreign $<TARGET_FILE:kx_tool_foreign> ${kx_tool_probe}
    --source ${PROJECT_SOURCE_DIR} --work ${CMAKE_CURRENT_BINARY_DIR}/tool_command ${kx_tool_runner})
add_test(NAME tool_report
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/tool/report_test.py
    --tool $<TARGET_FILE:kxpsui-host> --foreign $<TARGET_FILE:kx_tool_foreign>
    --source ${PROJECT_SOURCE_DIR} --work ${CMAKE_CURRENT_BINARY_DIR}/tool_report
    ${kx_tool_runner})
if(CMAKE_CROSSCOMPILING)
  set_tests_properties(tool_command tool_report PROPERTIES RESOURCE_LOCK kx_wine_prefix_locale TIMEOUT 600)
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
