#include "package/ppd_identity.h"

#include <vector>

#include "host/driver/driver_ppd.h"
#include "ppd/ppd_keywords.h"
#include "ppd/ppd_tokenizer.h"

namespace {

struct ByteSource {
    const std::string* bytes;
    size_t next;
};

int32_t ReadSourceByte(void* userData) {
    ByteSource* source = static_cast<ByteSource*>(userData);
    if (source->next >= source->bytes->size()) {
        return -1;
    }
    return static_cast<unsigned char>((*source->bytes)[source->next++]);
}

// The tokenizer widens each byte into one unit; this narrows them back.
std::string TokenBytes(const std::vector<WCHAR>& token, int32_t length) {
    std::string bytes(static_cast<size_t>(length), '\0');
    for (int32_t i = 0; i < length; ++i) {
        bytes[static_cast<size_t>(i)] = static_cast<char>(token[static_cast<size_t>(i)]);
    }
    return bytes;
}

bool Decode(const std::string& bytes, UINT codePage, const char* statement, std::u16string* text, std::string* error) {
    text->clear();
    if (bytes.empty()) {
        return true;
    }
    const int size = static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (units <= 0) {
        *error = std::string(statement) + " is not valid text in code page " + std::to_string(codePage);
        return false;
    }
    text->resize(static_cast<size_t>(units));
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, reinterpret_cast<LPWSTR>(&(*text)[0]),
                        units);
    return true;
}

}  // namespace

bool ReadPpdIdentity(const std::string& bytes, PpdIdentity* identity, std::string* error) {
    *identity = PpdIdentity();
    ByteSource source{&bytes, 0};
    PpdTokenReader reader;
    reader.readCallback = ReadSourceByte;
    reader.userData = &source;
    std::vector<WCHAR> token(kPpdTokenCapacity);
    std::string nickName;
    std::string modelName;
    std::string manufacturer;
    int32_t length = 0;
    while (NextToken(&reader, token.data(), kPpdTokenCapacity, &length, false)) {
        std::string* value = nullptr;
        switch (ClassifyKeyword(token.data())) {
            case kPpdLanguageEncoding:
                value = &identity->languageEncoding;
                break;
            case kPpdNickName:
                value = &nickName;
                break;
            case kPpdModelName:
                value = &modelName;
                break;
            case kPpdManufacturer:
                value = &manufacturer;
                break;
            default:
                continue;
        }
        if (!NextToken(&reader, token.data(), kPpdTokenCapacity, &length, false)) {
            break;
        }
        *value = TokenBytes(token, length);
    }
    const UINT codePage = DriverPpdCodePage(identity->languageEncoding);
    return Decode(nickName, codePage, "*NickName", &identity->nickName, error) &&
           Decode(modelName, codePage, "*ModelName", &identity->modelName, error) &&
           Decode(manufacturer, codePage, "*Manufacturer", &identity->manufacturer, error);
}
