# kxpsui-package: its parts and the command in process on both builds; in
# the Windows build each package is also read back with the platform's own
# INF reader. In the Linux tree, the Windows build's tool is run under Wine
# on the same inputs and must write the same bytes.
kx_test_executable(kx_package_tests DIRS package LINK kxpackage)
if(WIN32)
  target_link_libraries(kx_package_tests PRIVATE setupapi version)
endif()
target_compile_definitions(kx_package_tests PRIVATE KX_PACKAGE_TEST_DLL="${KX_PACKAGE_DEFAULT_DLL}")
kx_add_test(package_tests kx_package_tests)

if(NOT WIN32 AND KX_WINDOWS_BUILD_DIR)
  set(corpus ${PROJECT_SOURCE_DIR}/../shared/corpus/ppd)
  add_test(NAME package_matches_windows
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/package/compare_builds.py
      --linux-tool $<TARGET_FILE:kxpsui-package>
      --windows-tool ${KX_WINDOWS_BUILD_DIR}/bin/kxpsui-package.exe
      --wine-run ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh --prefix ${KX_WINDOWS_BUILD_DIR}/wineprefix
      --work ${CMAKE_CURRENT_BINARY_DIR}/package_compare
      ${PROJECT_SOURCE_DIR}/samples/kx-color-page.ppd
      ${corpus}/10-latin1-8f-37c-inst.ppd ${corpus}/31-sjis-19f-298c-inst.ppd ${corpus}/57-latin1-70f-9244c-inst.ppd)
  set_tests_properties(package_matches_windows PROPERTIES RESOURCE_LOCK kx_wine_prefix_locale TIMEOUT 300)
endif()

# End to end under Wine, in a fresh prefix of its own: the sample's package
# registered with the spooler as the printer class installer leaves it, a
# printer on it run through kxpsui-host, then all of it removed.
if(WIN32)
  add_executable(kx_install_package package/install_package/install_package.cpp)
  kx_target_defaults(kx_install_package)
  target_link_libraries(kx_install_package PRIVATE setupapi winspool shell32)
  add_test(NAME package_end_to_end
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/package/end_to_end.py
      --installer $<TARGET_FILE:kx_install_package> --package-tool $<TARGET_FILE:kxpsui-package>
      --host-tool $<TARGET_FILE:kxpsui-host> --dll $<TARGET_FILE:kxpsui>
      ${PROJECT_SOURCE_DIR}/samples/kx-color-page.ppd)
  set_tests_properties(package_end_to_end PROPERTIES TIMEOUT 300)
endif()
