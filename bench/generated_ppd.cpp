#include "bench/generated_ppd.h"

namespace {

void AppendNumber(std::string* out, int64_t value) {
    out->append(std::to_string(value));
}

void AppendFeature(std::string* out, int32_t i) {
    const std::string n = std::to_string(i);
    out->append("*OpenUI *F" + n + "/Feature " + n + ": PickOne\n");
    out->append("*DefaultF" + n + ": A\n");
    out->append("*F" + n + " A/Option A: \"\"\n");
    out->append("*F" + n + " B/Option B: \"\"\n");
    out->append("*CloseUI: *F" + n + "\n");
}

}  // namespace

bool ValidGeneratedShape(const GeneratedPpdShape& shape) {
    if (shape.features < 1 || shape.installables < 0 || shape.installables > shape.features || shape.constraints < 0) {
        return false;
    }
    if (shape.layout == kGeneratedOneFeature) {
        return shape.features >= 2;
    }
    return shape.layout == kGeneratedSpread;
}

std::string GeneratePpd(const GeneratedPpdShape& shape) {
    std::string out;
    if (!ValidGeneratedShape(shape)) {
        return out;
    }
    const int64_t n = shape.features;
    out.reserve(static_cast<size_t>(n) * 140 + static_cast<size_t>(shape.constraints) * 40 + 512);
    out.append("*PPD-Adobe: \"4.3\"\n");
    out.append("*FormatVersion: \"4.3\"\n");
    out.append("*FileVersion: \"1.0\"\n");
    out.append("*LanguageEncoding: ISOLatin1\n");
    out.append("*LanguageVersion: English\n");
    out.append("*Manufacturer: \"KX\"\n");
    out.append("*ModelName: \"KX Generated " + GeneratedShapeName(shape) + "\"\n");
    out.append("*NickName: \"KX Generated " + GeneratedShapeName(shape) + "\"\n");
    out.append("*ShortNickName: \"KX Generated\"\n");
    out.append("*PCFileName: \"KXGEN.PPD\"\n");
    out.append("*Product: \"(KX Generated)\"\n");
    out.append("*ColorDevice: True\n");

    int32_t i = 0;
    if (shape.installables > 0) {
        out.append("*OpenGroup: InstallableOptions/Installable Options\n");
        for (; i < shape.installables; ++i) {
            AppendFeature(&out, i);
        }
        out.append("*CloseGroup: InstallableOptions\n");
    }
    for (; i < shape.features; ++i) {
        AppendFeature(&out, i);
    }

    if (shape.withConstraints) {
        for (int64_t c = 0; c < shape.constraints; ++c) {
            int64_t first = 0;
            int64_t second = 0;
            if (shape.layout == kGeneratedOneFeature) {
                second = 1 + c % (n - 1);
            } else {
                first = c % n;
                second = (c * 7919 + 1) % n;
            }
            out.append("*UIConstraints: *F");
            AppendNumber(&out, first);
            out.append(" A *F");
            AppendNumber(&out, second);
            out.append(" B\n");
        }
    }
    return out;
}

std::string GeneratedShapeName(const GeneratedPpdShape& shape) {
    std::string name = "n" + std::to_string(shape.features) + "-k" + std::to_string(shape.installables) + "-c" +
                       std::to_string(shape.constraints) + (shape.layout == kGeneratedOneFeature ? "-one" : "-spread");
    if (!shape.withConstraints) {
        name += "-nocon";
    }
    return name;
}
