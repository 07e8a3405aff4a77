# The PPD reader and the constraint layer. Text conversion follows the ANSI
# code page, so the tests run under a single-byte (1252) and a double-byte
# (932) locale.
kx_test_executable(kx_ppd_tests DIRS ppd LINK kxppd_alloc_hooks kxtest_ppd)
foreach(locale en_US.UTF-8 ja_JP.UTF-8)
  kx_add_test(ppd_tests_${locale} kx_ppd_tests LOCALE ${locale})
endforeach()
