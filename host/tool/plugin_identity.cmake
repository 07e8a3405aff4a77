# Writes the identity of the plug-in built with kxpsui-host, its file's size
# and SHA-256, as a header:
#   cmake -DPLUGIN=<plug-in file> -DOUTPUT=<header> -P plugin_identity.cmake
file(SIZE "${PLUGIN}" size)
file(SHA256 "${PLUGIN}" sha256)
file(WRITE "${OUTPUT}" "// Generated from the plug-in built with kxpsui-host; kxpsui-host reads the model\n"
  "// only from a plug-in binary of these bytes.\n#pragma once\n"
  "#define KX_BUILT_PLUGIN_SIZE ${size}u\n#define KX_BUILT_PLUGIN_SHA256 \"${sha256}\"\n")
