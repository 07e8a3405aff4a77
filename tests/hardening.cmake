# Hardening: allocation failure, hostile values, guard pages and concurrency,
# on both builds. The guard page's implementation is the one file that
# differs between them.
kx_test_executable(kx_hardening_tests DIRS hardening LINK kxppd_alloc_hooks kxcore kxtest_ppd kxtest_plugin kxhost)
if(WIN32)
  target_sources(kx_hardening_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/hardening/windows/guard_page.cpp)
else()
  target_sources(kx_hardening_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/hardening/linux/guard_page.cpp)
endif()
# Text conversion follows the ANSI code page: single-byte and double-byte.
foreach(locale en_US.UTF-8 ja_JP.UTF-8)
  kx_add_test(hardening_tests_${locale} kx_hardening_tests LOCALE ${locale})
  set_tests_properties(hardening_tests_${locale} PROPERTIES WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endforeach()

# In the ASan tree: a program that leaks, whose test passes only when
# LeakSanitizer reports it.
if(KX_SANITIZE MATCHES "address" AND NOT WIN32)
  add_executable(kx_lsan_canary ${CMAKE_CURRENT_SOURCE_DIR}/hardening/canary/lsan_canary.cpp)
  add_test(NAME lsan_reports_leaks COMMAND kx_lsan_canary)
  set_tests_properties(lsan_reports_leaks PROPERTIES
    PASS_REGULAR_EXPRESSION "LeakSanitizer: detected memory leaks")
endif()
