# The platform layer: the same checks run against the Linux stand-ins and,
# in the Windows build, against the real routines under Wine, which is how
# the stand-ins' expectations are proven.

# A module with an export and string tables in a few languages, for the
# loader and LoadStringW checks. Windows: an .rc string table; Linux: the
# same strings as the stand-in resource record.
add_library(kx_platform_testmod SHARED platform/module/test_module.cpp)
set_target_properties(kx_platform_testmod PROPERTIES PREFIX "")
kx_target_defaults(kx_platform_testmod)
if(WIN32)
  target_sources(kx_platform_testmod PRIVATE platform/module/test_module.rc)
  target_link_options(kx_platform_testmod PRIVATE -static)
else()
  target_sources(kx_platform_testmod PRIVATE platform/module/test_module_strings.cpp)
endif()

# The child of the process checks, beside the test executable.
add_executable(kx_platform_child platform/child/child.cpp)
kx_target_defaults(kx_platform_child)
target_link_libraries(kx_platform_child PRIVATE kxplatform)

kx_test_executable(kx_platform_tests DIRS platform LINK kxtest_text)
add_dependencies(kx_platform_tests kx_platform_testmod kx_platform_child)
target_compile_definitions(kx_platform_tests PRIVATE
  KX_TEST_MODULE_FILE_NAME="$<TARGET_FILE_NAME:kx_platform_testmod>"
  KX_TEST_CHILD_FILE_NAME="$<TARGET_FILE_NAME:kx_platform_child>")
# Country, code page and resource language follow the locale; C stands for
# a locale without a language of its own.
foreach(locale en_US.UTF-8 de_DE.UTF-8 de_AT.UTF-8 de_CH.UTF-8 en_GB.UTF-8 en_CA.UTF-8 fr_FR.UTF-8 sv_SE.UTF-8
        es_ES.UTF-8 it_IT.UTF-8 nl_NL.UTF-8 pt_PT.UTF-8 ja_JP.UTF-8 C)
  kx_add_test(platform_tests_${locale} kx_platform_tests LOCALE ${locale})
  set_tests_properties(platform_tests_${locale} PROPERTIES WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endforeach()

# Conversions proven in bulk: the Windows build's platform_conversion_dump
# test writes every conversion of the platform's routines under Wine to
# <Windows build>/tests/kx_conversion_dump.txt; the Linux build's
# platform_conversions_match_windows test compares the stand-ins' with that
# file (scripts/test tests the Windows tree first). It fails when the file
# is missing from an existing Windows tree.
if(WIN32)
  add_executable(kx_conversion_dump platform/dump/conversion_dump.cpp platform/dump_main/main.cpp)
  kx_target_defaults(kx_conversion_dump)
  target_link_libraries(kx_conversion_dump PRIVATE kxplatform)
  add_test(NAME platform_conversion_dump COMMAND kx_conversion_dump kx_conversion_dump.txt
           WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
elseif(KX_WINDOWS_BUILD_DIR)
  kx_test_executable(kx_conversion_compare DIRS platform/dump platform/compare LINK kxtest_text)
  target_compile_definitions(kx_conversion_compare PRIVATE
    KX_WINDOWS_BUILD_DIR="${KX_WINDOWS_BUILD_DIR}"
    KX_WINDOWS_CONVERSION_DUMP="${KX_WINDOWS_BUILD_DIR}/tests/kx_conversion_dump.txt")
  kx_add_test(platform_conversions_match_windows kx_conversion_compare)
endif()
