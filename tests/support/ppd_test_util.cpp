#include "tests/support/ppd_test_util.h"

#include <string.h>

#include <algorithm>
#include <filesystem>
#include <new>

#include "customize/constraints.h"

bool IsDoubleByteCodePage() {
    return GetACP() == 932;
}

FILE* StreamOf(const std::string& bytes) {
    FILE* stream = tmpfile();
    if (stream == nullptr) {
        return nullptr;
    }
    if (!bytes.empty() && fwrite(bytes.data(), 1, bytes.size(), stream) != bytes.size()) {
        fclose(stream);
        return nullptr;
    }
    rewind(stream);
    return stream;
}

DocumentPtr ReadDocument(const std::string& bytes) {
    FILE* stream = StreamOf(bytes);
    if (stream == nullptr) {
        return nullptr;
    }
    DocumentPtr document(new (std::nothrow) PpdDocument(stream));
    fclose(stream);
    return document;
}

DocumentPtr ReadDocumentFile(const std::string& path) {
    FILE* stream = _wfopen(Units(path).c_str(), TEXT("r"));
    if (stream == nullptr) {
        return nullptr;
    }
    DocumentPtr document(new (std::nothrow) PpdDocument(stream));
    fclose(stream);
    return document;
}

std::string FixturePath(const std::string& name) {
    return std::string(KX_SOURCE_DIR) + "/tests/fixtures/ppd/" + name;
}

std::string CorpusPath(const std::string& name) {
    return std::string(KX_CORPUS_DIR) + "/" + name;
}

std::vector<std::string> CorpusFiles() {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(KX_CORPUS_DIR, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".ppd") == 0) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

const PpdFeature* FindFeature(const PpdDocument& document, const char* keyword) {
    const WideString wanted = Units(keyword);
    for (int32_t i = 0; i < document.featureCount; ++i) {
        if (document.features[i]->keyword.Equals(wanted.c_str())) {
            return document.features[i];
        }
    }
    return nullptr;
}

const PpdOption* FindOption(const PpdFeature& feature, const char* keyword) {
    const WideString wanted = Units(keyword);
    for (int32_t i = 0; i < feature.optionCount; ++i) {
        if (feature.options[i]->keyword.Equals(wanted.c_str())) {
            return feature.options[i];
        }
    }
    return nullptr;
}

std::string Marked(const PpdDocument& document, const char* keyword) {
    const PpdFeature* feature = FindFeature(document, keyword);
    if (feature == nullptr) {
        return std::string("<no feature ") + keyword + ">";
    }
    std::string out;
    for (int32_t i = 0; i < feature->optionCount; ++i) {
        if (feature->options[i]->constrained) {
            out += "[" + Printable(feature->options[i]->keyword) + "]";
        }
    }
    return out;
}

std::string Describe(const PpdDocument& document) {
    std::string out;
    out += "model " + Printable(document.modelName) + " product " + Printable(document.product) + " maker " +
           Printable(document.manufacturer) + " encoding " + Printable(document.languageEncoding) + " language " +
           Printable(document.languageVersion) + "\n";
    for (int32_t i = 0; i < document.featureCount; ++i) {
        const PpdFeature& feature = *document.features[i];
        out += "feature " + Printable(feature.keyword) + " / " + Printable(feature.translation) + " default " +
               Printable(feature.defaultOption) + " group " + Printable(feature.groupKeyword) + " / " +
               Printable(feature.groupTranslation) + " query " + Printable(feature.queryCode) + " type " +
               std::to_string(feature.uiType) + " options " + std::to_string(feature.optionCount) + "\n";
        for (int32_t j = 0; j < feature.optionCount; ++j) {
            const PpdOption& option = *feature.options[j];
            out += "  option " + Printable(option.keyword) + " / " + Printable(option.translation) + " = " +
                   Printable(option.invocation) + (option.constrained ? " constrained" : "") + "\n";
        }
    }
    for (int32_t i = 0; i < document.constraintCount; ++i) {
        const PpdConstraint& constraint = *document.constraints[i];
        out += "constraint " + Printable(constraint.keyword1) + " " + Printable(constraint.option1) + " " +
               Printable(constraint.keyword2) + " " + Printable(constraint.option2) + "\n";
    }
    for (int32_t i = 0; i < document.installableCount; ++i) {
        out += "installable " + Printable(document.installables[i]->keyword) + " = " +
               Printable(document.installables[i]->value) + "\n";
    }
    return out;
}

MemoryReader::MemoryReader(const std::string& bytes) : bytes_(bytes), buffer_(kPpdTokenCapacity + 8) {
    reader.readCallback = &MemoryReader::Read;
    reader.userData = this;
}

int32_t MemoryReader::Read(void* userData) {
    MemoryReader* self = static_cast<MemoryReader*>(userData);
    ++self->calls;
    if (self->position_ >= self->bytes_.size()) {
        return -1;
    }
    return static_cast<unsigned char>(self->bytes_[self->position_++]);
}

bool MemoryReader::Next(WideString* token, bool allowBlanks, int32_t capacity) {
    // Poisoned, so that a length or terminator left unset shows.
    std::fill(buffer_.begin(), buffer_.end(), static_cast<WCHAR>(0xBEEF));
    int32_t length = -7;
    const bool result = NextToken(&reader, buffer_.data(), capacity, &length, allowBlanks);
    if (length < 0 || length >= capacity || buffer_[static_cast<size_t>(length)] != 0) {
        token->assign(Units("<bad length or terminator>"));
        return result;
    }
    token->assign(buffer_.data(), static_cast<size_t>(length));
    return result;
}

std::vector<std::string> MemoryReader::All(bool allowBlanks) {
    std::vector<std::string> tokens;
    WideString token;
    while (Next(&token, allowBlanks)) {
        tokens.push_back(Printable(token));
    }
    if (!token.empty()) {
        tokens.push_back("<false with text " + Printable(token) + ">");
    }
    return tokens;
}

std::string CheckConsistent(const PpdDocument& document) {
    std::string problems;
    auto text = [&problems](const PpdText& t, const std::string& where) {
        bool ok = t.length >= 0 && t.length < kPpdTextCapacity && t.chars[t.length] == 0;
        for (int32_t i = 0; ok && i < t.length; ++i) {
            ok = t.chars[i] != 0;
        }
        if (!ok) {
            problems += where + ": length " + std::to_string(t.length) + " and terminator disagree\n";
        }
    };
    // A count needs an array behind it, and every slot in use a record.
    auto slots = [&problems](int32_t count, auto array, const std::string& where) {
        bool ok = count >= 0 && (count == 0 || array != nullptr);
        for (int32_t i = 0; ok && i < count; ++i) {
            ok = array[i] != nullptr;
        }
        if (!ok) {
            problems += where + ": count " + std::to_string(count) + " without records\n";
        }
        return ok;
    };
    if (document.tokenBuffer != nullptr || document.reader != nullptr) {
        problems += "token buffer or reader kept after construction\n";
    }
    for (const PpdText* header : {&document.modelName, &document.product, &document.manufacturer,
                                  &document.languageEncoding, &document.languageVersion}) {
        text(*header, "header");
    }
    if (slots(document.featureCount, document.features, "features")) {
        for (int32_t i = 0; i < document.featureCount; ++i) {
            const PpdFeature& feature = *document.features[i];
            const std::string where = "feature " + std::to_string(i);
            for (const PpdText* t : {&feature.keyword, &feature.translation, &feature.defaultOption,
                                     &feature.groupKeyword, &feature.groupTranslation}) {
                text(*t, where);
            }
            if (slots(feature.optionCount, feature.options, where)) {
                for (int32_t j = 0; j < feature.optionCount; ++j) {
                    text(feature.options[j]->keyword, where + " option");
                    text(feature.options[j]->translation, where + " option");
                }
            }
        }
    }
    if (slots(document.constraintCount, document.constraints, "constraints")) {
        for (int32_t i = 0; i < document.constraintCount; ++i) {
            const PpdConstraint& c = *document.constraints[i];
            for (const PpdText* t : {&c.keyword1, &c.option1, &c.keyword2, &c.option2}) {
                text(*t, "constraint " + std::to_string(i));
            }
        }
    }
    if (slots(document.installableCount, document.installables, "installables")) {
        for (int32_t i = 0; i < document.installableCount; ++i) {
            text(document.installables[i]->keyword, "installable " + std::to_string(i));
            text(document.installables[i]->value, "installable " + std::to_string(i));
        }
    }
    return problems;
}

std::vector<bool> Marks(const PpdDocument& document) {
    std::vector<bool> marks;
    for (int32_t f = 0; f < document.featureCount; ++f) {
        for (int32_t o = 0; o < document.features[f]->optionCount; ++o) {
            marks.push_back(document.features[f]->options[o]->constrained);
        }
    }
    return marks;
}

void SetMarks(PpdDocument* document, const std::vector<bool>& marks) {
    size_t k = 0;
    for (int32_t f = 0; f < document->featureCount; ++f) {
        for (int32_t o = 0; o < document->features[f]->optionCount && k < marks.size(); ++o) {
            document->features[f]->options[o]->constrained = marks[k++];
        }
    }
}

std::string CompareWithWalk(PpdDocument* document, const std::vector<bool>& start) {
    SetMarks(document, start);
    EvaluateConstraints(document);
    const std::vector<bool> indexed = Marks(*document);
    SetMarks(document, start);
    EvaluateConstraintsByWalk(document);
    const std::vector<bool> walked = Marks(*document);
    size_t k = 0;
    for (int32_t f = 0; f < document->featureCount; ++f) {
        const PpdFeature& feature = *document->features[f];
        for (int32_t o = 0; o < feature.optionCount; ++o, ++k) {
            if (indexed[k] != walked[k]) {
                return "feature " + std::to_string(f) + " " + Printable(feature.keyword) + " option " +
                       Printable(feature.options[o]->keyword) + ": pass " + std::to_string(indexed[k]) + ", walk " +
                       std::to_string(walked[k]);
            }
        }
    }
    return "";
}
