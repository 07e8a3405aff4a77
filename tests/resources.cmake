# Feature labels and the module's resources, read from the loaded plug-in.
# The resource loader picks the language from the locale; each run checks the
# column of the language that LC_ALL names, sv_SE standing for a language the
# module does not carry.
kx_test_executable(kx_resource_tests DIRS resources LINK kxtest_labels kxtest_plugin kxlabels)
if(WIN32)
  # The version block is read back with the platform's version API.
  target_link_libraries(kx_resource_tests PRIVATE version)
  set(kx_other_module version.dll)
else()
  set(kx_other_module $<TARGET_FILE_NAME:kxplatform>)
endif()
target_compile_definitions(kx_resource_tests PRIVATE KX_OTHER_MODULE_FILE_NAME="${kx_other_module}")
foreach(locale en_US.UTF-8 de_DE.UTF-8 fr_FR.UTF-8 it_IT.UTF-8 ja_JP.UTF-8 nl_NL.UTF-8 pt_PT.UTF-8 es_ES.UTF-8
        sv_SE.UTF-8)
  kx_add_test(resource_tests_${locale} kx_resource_tests LOCALE ${locale})
endforeach()
