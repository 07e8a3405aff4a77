#include "package/manifest.h"

#include <stdio.h>

#include "host/common/json_writer.h"
#include "host/common/sha256.h"
#include "kx_version.h"

std::string FormatManifest(const PackageDate& date, const std::vector<PackageFile>& files) {
    char day[16];
    snprintf(day, sizeof(day), "%04d-%02d-%02d", date.year, date.month, date.day);
    JsonWriter json;
    json.BeginObject();
    json.Member("package", "kxpsui");
    json.Member("version", KX_VERSION_TEXT);
    json.Member("date", day);
    json.Key("files");
    json.BeginArray();
    for (const PackageFile& file : files) {
        json.BeginObject(true);
        json.Member("name", file.name);
        json.IntMember("size", static_cast<int64_t>(file.bytes.size()));
        json.Member("sha256", Sha256Hex(file.bytes.data(), file.bytes.size()));
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    return json.Text();
}
