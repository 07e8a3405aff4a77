# Code page tables of the stand-ins, generated at build time from glibc's
# iconv mappings by a native tool (this file is read by the Linux build only).
add_executable(kx_codepage_gen ${CMAKE_CURRENT_LIST_DIR}/codepage_gen/codepage_gen.cpp)
target_compile_options(kx_codepage_gen PRIVATE -Wall -Wextra $<$<BOOL:${KX_WERROR}>:-Werror>)
set(KX_CODEPAGE_TABLES ${CMAKE_CURRENT_BINARY_DIR}/codepage_tables.cpp)
add_custom_command(
  OUTPUT ${KX_CODEPAGE_TABLES}
  COMMAND kx_codepage_gen ${KX_CODEPAGE_TABLES}
  DEPENDS kx_codepage_gen
  COMMENT "Generating code page tables from iconv")
target_sources(kxplatform PRIVATE ${KX_CODEPAGE_TABLES})
