// What a driver package takes from a PPD to name its printer model: the
// header statements, read with the plug-in's own tokenizer and keyword table
// and decoded in the code page of the PPD's *LanguageEncoding, as the
// driver decodes its texts.
#pragma once

#include <string>

struct PpdIdentity {
    std::string languageEncoding;  // bytes as in the file; empty without the statement
    std::u16string nickName;       // empty without the statement
    std::u16string modelName;
    std::u16string manufacturer;
};

// Reads the whole file's bytes; a statement that occurs more than once keeps
// its last value, as in the plug-in's model. False with a one-line reason
// when a text is not valid in the file's code page.
bool ReadPpdIdentity(const std::string& bytes, PpdIdentity* identity, std::string* error);
