// The reader and the document sheet's work on generated PPDs of growing
// size: every shape is read as the plug-in reads it (text mode, document
// constructed with its first pass), then the sheet stores the host's answer
// for every installable feature, runs the constraint pass and matches every
// feature's translation, and the document is destroyed. Each shape's file is
// written into a private folder just before it is timed and deleted right
// after; the folder goes at exit, also on SIGINT, SIGTERM and SIGHUP.
// bench/run-benchmarks runs it and prints the sweep table.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <unistd.h>

#include <new>
#include <set>
#include <string>
#include <vector>

#include "bench/generated_ppd.h"
#include "customize/constraints.h"
#include "ppd/ppd_document.h"
#include "ppd/ppd_index.h"

namespace {

// Paths the signal handler removes; fixed buffers, so that it only calls
// unlink and rmdir.
char g_folder[4096];
char g_file[4096];

// Holds off the three signals while the paths change, so that the handler
// never sees a file that is there but not yet named, or named but gone.
class SignalsHeld {
  public:
    SignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        sigaddset(&held, SIGINT);
        sigaddset(&held, SIGTERM);
        sigaddset(&held, SIGHUP);
        sigprocmask(SIG_BLOCK, &held, &previous);
    }
    ~SignalsHeld() { sigprocmask(SIG_SETMASK, &previous, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

  private:
    sigset_t previous;
};

void RemoveFile() {
    SignalsHeld held;
    if (g_file[0] != 0) {
        unlink(g_file);
        g_file[0] = 0;
    }
}

void RemoveFolder() {
    RemoveFile();
    SignalsHeld held;
    if (g_folder[0] != 0) {
        rmdir(g_folder);
        g_folder[0] = 0;
    }
}

void OnSignal(int signalNumber) {
    if (g_file[0] != 0) {
        unlink(g_file);
    }
    if (g_folder[0] != 0) {
        rmdir(g_folder);
    }
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

bool MakeFolder() {
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != 0 ? base : "/tmp") + "/kx_sweep-XXXXXX";
    if (pattern.size() + 64 >= sizeof(g_folder)) {
        return false;
    }
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back(0);
    SignalsHeld held;
    if (mkdtemp(name.data()) == nullptr) {
        return false;
    }
    memcpy(g_folder, name.data(), name.size());
    return true;
}

// Writes the shape's file as the one file of the folder.
bool WriteShape(const GeneratedPpdShape& shape, int64_t* bytes) {
    RemoveFile();
    const std::string text = GeneratePpd(shape);
    const std::string path = std::string(g_folder) + "/" + GeneratedShapeName(shape) + ".ppd";
    if (text.empty() || path.size() >= sizeof(g_file)) {
        return false;
    }
    FILE* file = nullptr;
    {
        SignalsHeld held;
        memcpy(g_file, path.c_str(), path.size() + 1);
        file = fopen(g_file, "wb");
        if (file == nullptr) {
            g_file[0] = 0;
            return false;
        }
    }
    const bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
    if (fclose(file) != 0 || !written) {
        RemoveFile();
        return false;
    }
    *bytes = static_cast<int64_t>(text.size());
    return true;
}

std::basic_string<WCHAR> Widen(const char* bytes) {
    std::basic_string<WCHAR> units;
    for (const char* p = bytes; *p != 0; ++p) {
        units += static_cast<WCHAR>(static_cast<unsigned char>(*p));
    }
    return units;
}

long MinorFaults() {
    struct rusage usage;
    return getrusage(RUSAGE_SELF, &usage) == 0 ? usage.ru_minflt : 0;
}

// The sizes of the records a document of this shape allocates, in MiB: what
// a load costs in fresh pages when nothing of the last one is reused.
double RecordMib(const GeneratedPpdShape& shape) {
    const double n = shape.features;
    const double c = shape.withConstraints ? shape.constraints : 0;
    const double bytes = n * (sizeof(PpdFeature) + kPpdOptionSlots * sizeof(PpdOption*) + 2 * sizeof(PpdOption)) +
                         c * sizeof(PpdConstraint) + shape.installables * sizeof(InstallableSetting) +
                         kPpdTokenCapacity * sizeof(WCHAR);
    return bytes / (1024.0 * 1024.0);
}

// One load and the sheet's work; the number of constrained options, or -1
// when the document is not the one generated (memory ran out) or a
// translation finds another feature than its own.
int64_t LoadAndWork(const std::basic_string<WCHAR>& path, const GeneratedPpdShape& shape) {
    FILE* stream = _wfopen(path.c_str(), TEXT("r"));
    if (stream == nullptr) {
        return -1;
    }
    PpdDocument* document = new (std::nothrow) PpdDocument(stream);
    fclose(stream);
    if (document == nullptr) {
        return -1;
    }
    int64_t result = -1;
    const int32_t constraints = shape.withConstraints ? shape.constraints : 0;
    if (document->featureCount == shape.features && document->constraintCount == constraints &&
        document->installableCount == shape.installables) {
        for (int32_t f = 0; f < document->featureCount; ++f) {
            const PpdFeature* feature = document->features[f];
            if (feature->groupKeyword.Equals(kPpdInstallableGroup)) {
                StoreInstalledValue(document, feature->keyword.chars, feature->defaultOption.chars);
            }
        }
        EvaluateConstraints(document);
        result = 0;
        for (int32_t f = 0; f < document->featureCount && result >= 0; ++f) {
            const PpdFeature* feature = document->features[f];
            if (FindFeatureByTranslation(document, feature->translation.chars) != feature) {
                result = -1;
                break;
            }
            for (int32_t o = 0; o < feature->optionCount; ++o) {
                result += feature->options[o]->constrained ? 1 : 0;
            }
        }
    }
    delete document;
    return result;
}

void RunShape(benchmark::State& state, GeneratedPpdShape shape) {
    int64_t bytes = 0;
    if (!WriteShape(shape, &bytes)) {
        state.SkipWithError("cannot write the generated file");
        return;
    }
    const std::basic_string<WCHAR> path = Widen(g_file);
    int64_t constrained = 0;
    const long faultsBefore = MinorFaults();
    for (auto _ : state) {
        constrained = LoadAndWork(path, shape);
        if (constrained < 0) {
            break;
        }
        benchmark::DoNotOptimize(constrained);
        // Every load starts from a heap handed back to the system, as the
        // plug-in's one read in a process does. Left to itself, glibc keeps
        // a small document's freed heap for the next load but trims a
        // larger one, so shapes of one size would be timed with and without
        // their page faults.
        state.PauseTiming();
        malloc_trim(0);
        state.ResumeTiming();
    }
    const long faults = MinorFaults() - faultsBefore;
    RemoveFile();
    if (constrained < 0) {
        state.SkipWithError("the document is not the generated one");
        return;
    }
    const double iterations = static_cast<double>(state.iterations());
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["features"] = shape.features;
    state.counters["installables"] = shape.installables;
    state.counters["constraints"] = shape.withConstraints ? shape.constraints : 0;
    state.counters["constrained"] = static_cast<double>(constrained);
    state.counters["faults_mib"] = iterations > 0 ? faults * 4096.0 / (1024.0 * 1024.0) / iterations : 0;
    state.counters["records_mib"] = RecordMib(shape);
}

std::vector<GeneratedPpdShape> Shapes() {
    std::vector<GeneratedPpdShape> shapes;
    // Diagonal: n features, n constraints, each with and without its
    // constraints (the file without them is one for both layouts).
    for (int32_t n : {1000, 3000, 10000, 30000, 60000}) {
        for (int32_t k : {0, 1, n / 2}) {
            GeneratedPpdShape shape;
            shape.features = n;
            shape.installables = k;
            shape.constraints = n;
            shape.layout = kGeneratedSpread;
            shapes.push_back(shape);
            shape.layout = kGeneratedOneFeature;
            shapes.push_back(shape);
            shape.layout = kGeneratedSpread;
            shape.withConstraints = false;
            shapes.push_back(shape);
        }
    }
    // Grid: features x constraints, half the features installable.
    for (int32_t n : {1000, 10000, 60000}) {
        for (int32_t c : {1000, 10000, 60000}) {
            GeneratedPpdShape shape;
            shape.features = n;
            shape.installables = n / 2;
            shape.constraints = c;
            shapes.push_back(shape);
        }
    }
    return shapes;
}

}  // namespace

int main(int argc, char** argv) {
    signal(SIGINT, OnSignal);
    signal(SIGTERM, OnSignal);
    signal(SIGHUP, OnSignal);
    if (!MakeFolder()) {
        fprintf(stderr, "kx_sweep: cannot create a temporary folder\n");
        return 1;
    }
    atexit(RemoveFolder);  // also when the library exits, as for --help
    std::set<std::string> registered;
    for (const GeneratedPpdShape& shape : Shapes()) {
        const std::string name = "sweep/" + GeneratedShapeName(shape);
        if (registered.insert(name).second) {
            benchmark::RegisterBenchmark(name.c_str(), RunShape, shape)->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::Initialize(&argc, argv);
    int status = 0;
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        status = 1;
    } else {
        benchmark::RunSpecifiedBenchmarks();
    }
    benchmark::Shutdown();
    RemoveFolder();
    return status;
}
