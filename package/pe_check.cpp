#include "package/pe_check.h"

#include <stdio.h>

namespace {

constexpr uint16_t kMachineAmd64 = 0x8664;
constexpr uint16_t kFileDll = 0x2000;
constexpr uint16_t kOptionalMagicPe32Plus = 0x20B;
constexpr uint32_t kExportDirectory = 0;
constexpr uint32_t kResourceDirectory = 2;
constexpr uint32_t kResourceTypeVersion = 16;
constexpr uint32_t kResourceSubdirectory = 0x80000000u;
constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BDu;
// More export names than this are not a plug-in's.
constexpr uint32_t kExportNameLimit = 4096;

const char* const kEntryPoints[] = {"DllGetClassObject", "DllCanUnloadNow"};

// Little-endian reads that fail instead of reading past the end.
class Image {
  public:
    explicit Image(const std::string& bytes) : bytes(bytes) {}

    bool Has(uint64_t offset, uint64_t size) const { return offset <= bytes.size() && size <= bytes.size() - offset; }
    bool U16(uint64_t offset, uint16_t* value) const {
        if (!Has(offset, 2)) {
            return false;
        }
        *value = static_cast<uint16_t>(Byte(offset) | Byte(offset + 1) << 8);
        return true;
    }
    bool U32(uint64_t offset, uint32_t* value) const {
        if (!Has(offset, 4)) {
            return false;
        }
        *value = Byte(offset) | Byte(offset + 1) << 8 | Byte(offset + 2) << 16 |
                 static_cast<uint32_t>(Byte(offset + 3)) << 24;
        return true;
    }
    // A zero-terminated ASCII name, at most limit bytes long.
    bool Name(uint64_t offset, size_t limit, std::string* name) const {
        name->clear();
        for (uint64_t at = offset; Has(at, 1) && name->size() <= limit; ++at) {
            if (bytes[at] == 0) {
                return true;
            }
            name->push_back(bytes[at]);
        }
        return false;
    }

    // The file offset of size bytes at a relative virtual address, within
    // one section's raw data.
    bool FileOffset(uint32_t rva, uint32_t size, uint64_t* offset) const {
        for (uint16_t i = 0; i < sectionCount; ++i) {
            const uint64_t header = sectionTable + 40u * i;
            uint32_t address = 0, rawSize = 0, rawOffset = 0;
            if (!U32(header + 12, &address) || !U32(header + 16, &rawSize) || !U32(header + 20, &rawOffset)) {
                return false;
            }
            if (rva >= address && rva - address < rawSize && size <= rawSize - (rva - address)) {
                *offset = static_cast<uint64_t>(rawOffset) + (rva - address);
                return Has(*offset, size);
            }
        }
        return false;
    }

    uint64_t sectionTable = 0;
    uint16_t sectionCount = 0;

  private:
    uint32_t Byte(uint64_t offset) const { return static_cast<unsigned char>(bytes[offset]); }
    const std::string& bytes;
};

struct DataDirectory {
    uint32_t rva = 0;
    uint32_t size = 0;
};

bool ExportsEntryPoints(const Image& image, const DataDirectory& exports, std::string* error) {
    uint64_t directory = 0;
    uint32_t nameCount = 0, namesRva = 0;
    if (exports.size < 40 || !image.FileOffset(exports.rva, 40, &directory) || !image.U32(directory + 24, &nameCount) ||
        !image.U32(directory + 32, &namesRva) || nameCount > kExportNameLimit) {
        *error = "no readable export table";
        return false;
    }
    bool found[2] = {false, false};
    uint64_t names = 0;
    if (nameCount > 0 && !image.FileOffset(namesRva, 4 * nameCount, &names)) {
        *error = "no readable export table";
        return false;
    }
    for (uint32_t i = 0; i < nameCount; ++i) {
        uint32_t nameRva = 0;
        uint64_t nameOffset = 0;
        std::string name;
        if (!image.U32(names + 4u * i, &nameRva) || !image.FileOffset(nameRva, 1, &nameOffset) ||
            !image.Name(nameOffset, 256, &name)) {
            *error = "no readable export table";
            return false;
        }
        for (int k = 0; k < 2; ++k) {
            found[k] = found[k] || name == kEntryPoints[k];
        }
    }
    for (int k = 0; k < 2; ++k) {
        if (!found[k]) {
            *error = std::string("does not export ") + kEntryPoints[k];
            return false;
        }
    }
    return true;
}

// The data entry of the first name and language under a resource type.
bool FindResource(const Image& image, uint64_t base, uint32_t type, uint64_t* dataEntry) {
    uint64_t directory = base;
    for (int level = 0; level < 3; ++level) {
        uint16_t named = 0, ids = 0;
        if (!image.U16(directory + 12, &named) || !image.U16(directory + 14, &ids)) {
            return false;
        }
        uint32_t target = 0;
        bool found = false;
        for (uint32_t i = 0; i < static_cast<uint32_t>(named) + ids && !found; ++i) {
            uint32_t id = 0;
            if (!image.U32(directory + 16 + 8 * i, &id) || !image.U32(directory + 20 + 8 * i, &target)) {
                return false;
            }
            found = level > 0 || (i >= named && id == type);
        }
        // Below the type, a subdirectory per name and then per language;
        // below that, the data entry.
        const bool subdirectory = (target & kResourceSubdirectory) != 0;
        if (!found || subdirectory != (level < 2)) {
            return false;
        }
        directory = base + (target & ~kResourceSubdirectory);
    }
    *dataEntry = directory;
    return true;
}

bool ReadFileVersion(const Image& image, const DataDirectory& resources, PluginImageVersion* version,
                     std::string* error) {
    *error = "has no version block";
    uint64_t base = 0, entry = 0;
    uint32_t dataRva = 0, dataSize = 0;
    if (resources.size < 16 || !image.FileOffset(resources.rva, resources.size, &base) ||
        !FindResource(image, base, kResourceTypeVersion, &entry) || !image.U32(entry, &dataRva) ||
        !image.U32(entry + 4, &dataSize)) {
        return false;
    }
    // VS_VERSIONINFO: three 16-bit fields, the key L"VS_VERSION_INFO" with
    // its terminator, padding to 32 bits, then VS_FIXEDFILEINFO.
    constexpr uint32_t kFixedInfoOffset = 40;
    uint64_t block = 0;
    uint32_t signature = 0, versionMs = 0, versionLs = 0;
    if (dataSize < kFixedInfoOffset + 52 || !image.FileOffset(dataRva, dataSize, &block) ||
        !image.U32(block + kFixedInfoOffset, &signature) || signature != kFixedFileInfoSignature ||
        !image.U32(block + kFixedInfoOffset + 8, &versionMs) || !image.U32(block + kFixedInfoOffset + 12, &versionLs)) {
        return false;
    }
    version->parts[0] = static_cast<uint16_t>(versionMs >> 16);
    version->parts[1] = static_cast<uint16_t>(versionMs & 0xFFFF);
    version->parts[2] = static_cast<uint16_t>(versionLs >> 16);
    version->parts[3] = static_cast<uint16_t>(versionLs & 0xFFFF);
    return true;
}

}  // namespace

bool CheckPluginImage(const std::string& bytes, PluginImageVersion* version, std::string* error) {
    Image image(bytes);
    uint32_t peOffset = 0, signature = 0;
    if (bytes.compare(0, 2, "MZ") != 0 || !image.U32(0x3C, &peOffset) || !image.U32(peOffset, &signature) ||
        signature != 0x00004550) {
        *error = "not a PE image";
        return false;
    }
    const uint64_t coff = static_cast<uint64_t>(peOffset) + 4;
    uint16_t machine = 0, optionalSize = 0, characteristics = 0, magic = 0;
    if (!image.U16(coff, &machine) || !image.U16(coff + 2, &image.sectionCount) ||
        !image.U16(coff + 16, &optionalSize) || !image.U16(coff + 18, &characteristics)) {
        *error = "not a PE image";
        return false;
    }
    if (machine != kMachineAmd64) {
        char text[64];
        snprintf(text, sizeof(text), "not an x64 image (machine 0x%04X)", machine);
        *error = text;
        return false;
    }
    if ((characteristics & kFileDll) == 0) {
        *error = "not a DLL";
        return false;
    }
    const uint64_t optional = coff + 20;
    image.sectionTable = optional + optionalSize;
    uint32_t directoryCount = 0;
    if (!image.U16(optional, &magic) || magic != kOptionalMagicPe32Plus || optionalSize < 112 ||
        !image.U32(optional + 108, &directoryCount) || directoryCount <= kResourceDirectory ||
        optionalSize < 112 + 8 * (kResourceDirectory + 1)) {
        *error = "not a PE32+ image with export and resource directories";
        return false;
    }
    DataDirectory directories[kResourceDirectory + 1];
    for (uint32_t i = 0; i <= kResourceDirectory; ++i) {
        image.U32(optional + 112 + 8 * i, &directories[i].rva);
        image.U32(optional + 116 + 8 * i, &directories[i].size);
    }
    return ExportsEntryPoints(image, directories[kExportDirectory], error) &&
           ReadFileVersion(image, directories[kResourceDirectory], version, error);
}

std::string PluginImageVersionText(const PluginImageVersion& version) {
    return std::to_string(version.parts[0]) + "." + std::to_string(version.parts[1]) + "." +
           std::to_string(version.parts[2]) + "." + std::to_string(version.parts[3]);
}
