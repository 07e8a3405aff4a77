# This reader against CUPS on every corpus file, and the indexed constraint
# pass against the plain walk (Linux only: CUPS is the oracle). Translations
# follow the ANSI code page: the ISOLatin1 files are compared under 1252
# (en_US), the JIS83-RKSJ file under 932 (ja_JP), where the constraint
# passes, which do not depend on the code page, are not run again.
if(NOT WIN32)
  kx_test_executable(kx_cups_tests DIRS cups LINK kxtest_ppd kxhost)
  # CUPS's PPD interface is deprecated; only the file that calls it is let off.
  set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/cups/cups_oracle.cpp PROPERTIES
    COMPILE_OPTIONS -Wno-deprecated-declarations)
  target_link_libraries(kx_cups_tests PRIVATE cups)
  kx_add_test(cups_tests_en_US.UTF-8 kx_cups_tests LOCALE en_US.UTF-8)
  kx_add_test(cups_tests_ja_JP.UTF-8 kx_cups_tests LOCALE ja_JP.UTF-8
    ARGS --gtest_filter=CupsDifferential.*:CupsTranslations.*)
endif()
