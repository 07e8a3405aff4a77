// This reader beside CUPS and the floor it reads through (ReadFileByte in a
// loop over the same text-mode stream), per corpus file and for the whole
// corpus, plus the document-sheet constraint pass on the largest file.
// bench/run-benchmarks runs it and prints the table.
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "bench/bench_loads.h"
#include "customize/constraints.h"
#include "ppd/ppd_document.h"

namespace {

// The file of the sheet-pass benchmarks: 70 features, 9,244 constraints.
constexpr const char* kSheetPassFile = "57-latin1-70f-9244c-inst.ppd";

struct CorpusFile {
    std::string name;
    std::string path;
    int64_t bytes;
};

std::vector<CorpusFile> Corpus() {
    std::vector<CorpusFile> files;
    std::error_code error;
    for (std::filesystem::directory_iterator it(KX_CORPUS_DIR, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".ppd") == 0) {
            files.push_back(CorpusFile{name, it->path().string(), 0});
        }
    }
    std::sort(files.begin(), files.end(), [](const CorpusFile& a, const CorpusFile& b) { return a.name < b.name; });
    for (CorpusFile& file : files) {
        struct stat info;
        file.bytes = stat(file.path.c_str(), &info) == 0 ? static_cast<int64_t>(info.st_size) : 0;
    }
    return files;
}

typedef std::function<int64_t(const std::string&)> Load;

// Times one load over the given files per iteration; a load that fails
// (negative result) stops the benchmark with an error.
void RegisterLoad(const std::string& name, const std::vector<CorpusFile>& files, Load load) {
    int64_t bytes = 0;
    for (const CorpusFile& file : files) {
        bytes += file.bytes;
    }
    benchmark::RegisterBenchmark(name.c_str(), [files, bytes, load](benchmark::State& state) {
        for (auto _ : state) {
            for (const CorpusFile& file : files) {
                const int64_t result = load(file.path);
                if (result < 0) {
                    state.SkipWithError(("cannot load " + file.name).c_str());
                    return;
                }
                benchmark::DoNotOptimize(result);
            }
        }
        state.SetBytesProcessed(state.iterations() * bytes);
    })->Unit(benchmark::kMicrosecond);
}

struct DocumentDeleter {
    void operator()(PpdDocument* document) const { delete document; }
};
typedef std::unique_ptr<PpdDocument, DocumentDeleter> DocumentPtr;

DocumentPtr OpenDocument(const std::string& path) {
    std::basic_string<WCHAR> wide;
    for (unsigned char byte : path) {
        wide += static_cast<WCHAR>(byte);
    }
    FILE* stream = _wfopen(wide.c_str(), TEXT("r"));
    if (stream == nullptr) {
        return nullptr;
    }
    DocumentPtr document(new (std::nothrow) PpdDocument(stream));
    fclose(stream);
    return document;
}

const PpdFeature* FeatureNamed(const PpdDocument& document, const PpdText& keyword) {
    for (int32_t f = 0; f < document.featureCount; ++f) {
        if (document.features[f]->keyword.Equals(keyword)) {
            return document.features[f];
        }
    }
    return nullptr;
}

// What the handler does when the document sheet opens: the host's answer
// stored for every installable feature, then one pass. The answers alternate
// between the PPD defaults and each feature's last option, so that marks
// are both set and cleared.
void RegisterSheetPass(const std::string& name, const std::string& path, void (*pass)(PpdDocument*)) {
    benchmark::RegisterBenchmark(name.c_str(), [path, pass](benchmark::State& state) {
        DocumentPtr document = OpenDocument(path);
        if (document == nullptr || document->installableCount == 0) {
            state.SkipWithError("no document with installable options");
            return;
        }
        std::vector<std::basic_string<WCHAR>> keywords;
        std::vector<std::basic_string<WCHAR>> answers[2];
        for (int32_t s = 0; s < document->installableCount; ++s) {
            const InstallableSetting& setting = *document->installables[s];
            keywords.emplace_back(setting.keyword.chars);
            answers[0].emplace_back(setting.value.chars);
            const PpdFeature* feature = FeatureNamed(*document, setting.keyword);
            answers[1].emplace_back(feature != nullptr && feature->optionCount > 0
                                        ? feature->options[feature->optionCount - 1]->keyword.chars
                                        : setting.value.chars);
        }
        size_t round = 0;
        for (auto _ : state) {
            const std::vector<std::basic_string<WCHAR>>& answer = answers[round++ % 2];
            for (size_t s = 0; s < keywords.size(); ++s) {
                StoreInstalledValue(document.get(), keywords[s].c_str(), answer[s].c_str());
            }
            pass(document.get());
            benchmark::ClobberMemory();
        }
        state.counters["installables"] = static_cast<double>(document->installableCount);
        state.counters["constraints"] = static_cast<double>(document->constraintCount);
    })->Unit(benchmark::kMicrosecond);
}

int64_t ReaderLoad(const std::string& path) {
    return LoadWithReader(path);
}
int64_t CupsLoad(const std::string& path) {
    return LoadWithCups(path);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<CorpusFile> corpus = Corpus();
    if (corpus.empty()) {
        fprintf(stderr, "no corpus at %s\n", KX_CORPUS_DIR);
        return 1;
    }
    // Per file, the three side by side; then the whole corpus.
    for (const CorpusFile& file : corpus) {
        const std::vector<CorpusFile> one = {file};
        RegisterLoad("reader/" + file.name, one, ReaderLoad);
        RegisterLoad("cups/" + file.name, one, CupsLoad);
        RegisterLoad("floor/" + file.name, one, ReadEveryByte);
    }
    RegisterLoad("reader/corpus", corpus, ReaderLoad);
    RegisterLoad("cups/corpus", corpus, CupsLoad);
    RegisterLoad("floor/corpus", corpus, ReadEveryByte);
    RegisterLoad("fgetc_binary/corpus", corpus, ReadEveryByteBinary);

    const std::string sheetFile = std::string(KX_CORPUS_DIR) + "/" + kSheetPassFile;
    RegisterSheetPass(std::string("sheet_pass/") + kSheetPassFile, sheetFile, EvaluateConstraints);
    RegisterSheetPass(std::string("sheet_pass_walk/") + kSheetPassFile, sheetFile, EvaluateConstraintsByWalk);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
