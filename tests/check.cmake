# The PPD check of kxpsui-host --check: fixtures with seeded faults, the
# project's sample PPD and the corpus.
kx_test_executable(kx_check_tests DIRS check LINK kxtest_text kxhost kxppd kxlabels)
kx_add_test(check_tests kx_check_tests)
target_link_libraries(kx_check_tests PRIVATE kxcheck)

# The JSON of both builds, byte for byte, over the fixtures, the samples and
# the corpus.
if(NOT WIN32 AND KX_WINDOWS_BUILD_DIR)
  file(GLOB kx_check_ppds ${CMAKE_CURRENT_SOURCE_DIR}/fixtures/check/*.ppd ${PROJECT_SOURCE_DIR}/samples/*.ppd
    ${PROJECT_SOURCE_DIR}/../shared/corpus/ppd/*.ppd)
  add_test(NAME check_json_matches_windows
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/check/compare_builds.py
      --linux-tool $<TARGET_FILE:kxpsui-host>
      --windows-tool ${KX_WINDOWS_BUILD_DIR}/bin/kxpsui-host.exe
      --wine-run ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh --prefix ${KX_WINDOWS_BUILD_DIR}/wineprefix
      --work ${CMAKE_CURRENT_BINARY_DIR}/check_compare ${kx_check_ppds})
  set_tests_properties(check_json_matches_windows PROPERTIES RESOURCE_LOCK kx_wine_prefix_locale)
endif()
