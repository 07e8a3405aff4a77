// kx_reader_timing [--repetitions N] [--min-cpu SECONDS] FOLDER: the reader
// as it is linked into the plug-in DLL (Windows build, run under Wine), over
// every .ppd file of FOLDER and over all of them together: the stream
// opened with _wfopen in text mode and a document constructed (with its
// first pass) and destroyed. For the whole folder also the floor, the
// reader's per-byte call ReadFileByte in a loop over the same stream, and
// fgetc over a plain binary stream. Each figure is the median of N
// measurements (default 3), each a loop of loads until the process has used
// at least SECONDS of CPU time (default 0.2: the process times move in
// ticks of about 10 ms); CPU time from GetProcessTimes (user and kernel),
// wall time from QueryPerformanceCounter.
// Prints a header line, one tab-separated line per file, then "corpus":
// name, bytes, then MB/s (10^6 bytes a second) for reader CPU, reader wall,
// floor CPU, floor wall and binary fgetc CPU ("-" where not measured).
// Exit status: 0, 1 when a file cannot be read, 2 a usage error.
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bench/bench_loads.h"

namespace {

struct TimedFile {
    std::string name;
    std::string path;
    int64_t bytes;
};

typedef int64_t (*Load)(const std::string& path);

int64_t ReaderLoad(const std::string& path) {
    return LoadWithReader(path);
}

double CpuSeconds() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        return 0;
    }
    const auto ticks = [](const FILETIME& time) {
        return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) * 1e-7;
}

double WallSeconds() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Rates {
    double cpu;
    double wall;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Median MB/s of the loads of files; false when a load fails.
bool Measure(const std::vector<TimedFile>& files, Load load, int repetitions, double minCpu, Rates* rates) {
    int64_t bytes = 0;
    for (const TimedFile& file : files) {
        bytes += file.bytes;
    }
    std::vector<double> cpu, wall;
    for (int r = 0; r < repetitions; ++r) {
        const double cpuStart = CpuSeconds();
        const double wallStart = WallSeconds();
        int64_t rounds = 0;
        double cpuNow = cpuStart;
        do {
            for (const TimedFile& file : files) {
                if (load(file.path) < 0) {
                    fprintf(stderr, "kx_reader_timing: cannot read %s\n", file.path.c_str());
                    return false;
                }
            }
            ++rounds;
            cpuNow = CpuSeconds();
        } while (cpuNow - cpuStart < minCpu);
        const double wallTime = WallSeconds() - wallStart;
        const double total = static_cast<double>(bytes) * static_cast<double>(rounds) / 1e6;
        cpu.push_back(cpuNow > cpuStart ? total / (cpuNow - cpuStart) : 0);
        wall.push_back(wallTime > 0 ? total / wallTime : 0);
    }
    rates->cpu = Median(cpu);
    rates->wall = Median(wall);
    return true;
}

// The reader's rates, and with floors also the floor's and binary fgetc's.
bool PrintRow(const std::string& name, const std::vector<TimedFile>& files, bool floors, int repetitions,
              double minCpu) {
    int64_t bytes = 0;
    for (const TimedFile& file : files) {
        bytes += file.bytes;
    }
    Rates reader, floor, binary;
    if (!Measure(files, ReaderLoad, repetitions, minCpu, &reader)) {
        return false;
    }
    printf("%s\t%lld\t%.1f\t%.1f", name.c_str(), static_cast<long long>(bytes), reader.cpu, reader.wall);
    if (floors) {
        if (!Measure(files, ReadEveryByte, repetitions, minCpu, &floor) ||
            !Measure(files, ReadEveryByteBinary, repetitions, minCpu, &binary)) {
            return false;
        }
        printf("\t%.1f\t%.1f\t%.1f\n", floor.cpu, floor.wall, binary.cpu);
    } else {
        printf("\t-\t-\t-\n");
    }
    fflush(stdout);
    return true;
}

std::vector<TimedFile> PpdFiles(const std::string& folder) {
    std::vector<TimedFile> files;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*.ppd").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return files;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            const int64_t bytes = (static_cast<int64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
            files.push_back(TimedFile{found.cFileName, folder + "\\" + found.cFileName, bytes});
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(files.begin(), files.end(), [](const TimedFile& a, const TimedFile& b) { return a.name < b.name; });
    return files;
}

int Usage(const char* problem) {
    fprintf(stderr, "kx_reader_timing: %s\nusage: kx_reader_timing [--repetitions N] [--min-cpu SECONDS] FOLDER\n",
            problem);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    int repetitions = 3;
    double minCpu = 0.2;
    const char* folder = nullptr;
    for (int i = 1; i < argc; ++i) {
        char* end = nullptr;
        if (strcmp(argv[i], "--repetitions") == 0 && i + 1 < argc) {
            const long value = strtol(argv[++i], &end, 10);
            if (*end != 0 || value < 1 || value > 1000) {
                return Usage("--repetitions needs a count from 1 to 1000");
            }
            repetitions = static_cast<int>(value);
        } else if (strcmp(argv[i], "--min-cpu") == 0 && i + 1 < argc) {
            const double value = strtod(argv[++i], &end);
            if (*end != 0 || !(value >= 0 && value <= 60)) {
                return Usage("--min-cpu needs seconds from 0 to 60");
            }
            minCpu = value;
        } else if (argv[i][0] == '-' || folder != nullptr) {
            return Usage("unknown or repeated argument");
        } else {
            folder = argv[i];
        }
    }
    if (folder == nullptr) {
        return Usage("no FOLDER");
    }
    const std::vector<TimedFile> files = PpdFiles(folder);
    if (files.empty()) {
        fprintf(stderr, "kx_reader_timing: no .ppd file in %s\n", folder);
        return 1;
    }
    printf("file\tbytes\treader_cpu\treader_wall\tfloor_cpu\tfloor_wall\tbinary_cpu\n");
    for (const TimedFile& file : files) {
        if (!PrintRow(file.name, {file}, false, repetitions, minCpu)) {
            return 1;
        }
    }
    return PrintRow("corpus", files, true, repetitions, minCpu) ? 0 : 1;
}
