# The property sheets end to end: a printer registered with the spooler (Wine's
# own in the Windows build), the plug-in binary driven as the driver drives
# it. The tagging runs under a second user-interface language, and under a
# double-byte ANSI code page, where the plug-in reads a Latin-1 translation
# differently from the driver.
kx_test_executable(kx_sheet_tests DIRS sheets LINK kxcustomize kxreport kxtest_labels kxtest_ppd kxtest_plugin kxhost)
foreach(locale en_US.UTF-8 de_DE.UTF-8 ja_JP.UTF-8)
  kx_add_test(sheet_tests_${locale} kx_sheet_tests LOCALE ${locale})
  set_tests_properties(sheet_tests_${locale} PROPERTIES WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endforeach()
