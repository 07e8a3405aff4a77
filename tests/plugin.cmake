# The plug-in spine and the private devmode, driven through the loaded binary.
kx_test_executable(kx_plugin_tests DIRS plugin LINK kxtest_plugin)
# The paper swap depends on the user's country: 1 and 2 get Letter, the rest A4.
foreach(locale en_US.UTF-8 de_DE.UTF-8 en_GB.UTF-8 en_CA.UTF-8 ja_JP.UTF-8)
  kx_add_test(plugin_tests_${locale} kx_plugin_tests LOCALE ${locale})
endforeach()

# The shipped binary carries none of the reader's test hooks.
add_test(NAME plugin_has_no_test_hooks
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-no-test-hooks $<TARGET_FILE:kxpsui> ${CMAKE_NM})
add_test(NAME no_throwing_new COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-no-throwing-new ${PROJECT_SOURCE_DIR})
if(WIN32)
  add_test(NAME dll_surface COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-dll-surface $<TARGET_FILE:kxpsui>)
endif()
