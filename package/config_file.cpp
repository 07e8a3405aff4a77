#include "package/config_file.h"

#include "host/common/text.h"
#include "package/package_model.h"

std::u16string FormatConfigFile() {
    return u"[OEMFiles]\r\nOEMConfigFile1=" + Utf8ToUtf16(kPackagePluginName) + u"\r\n";
}
