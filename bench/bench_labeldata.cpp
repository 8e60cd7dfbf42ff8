// Load and Save of a full template file (65535 styles), each beside plain I/O of the same bytes.
#include "labeldata/Tdatatree.h"
#include "LargeSet.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <cstdio>
#include <string>
#include <fcntl.h>
#include <unistd.h>

namespace {

struct Fixture {
    QTemporaryDir dir;
    QString path;
    std::string bytes;

    Fixture()
    {
        Tdatatree set = makeLargeSet("style ");
        path = dir.filePath("bench.tpl");
        set.FileName = path;
        set.Save();
        bytes = set.SaveImage();
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void BM_Load(benchmark::State& state)
{
    Tdatatree set;
    set.FileName = fixture().path;
    for (auto _ : state) {
        if (set.Load() != LoadResult::Loaded)
            state.SkipWithError("load failed");
        state.PauseTiming();
        set.Clear();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(fixture().bytes.size()));
}

void BM_PlainRead(benchmark::State& state)
{
    const std::string path = fixture().path.toStdString();
    for (auto _ : state) {
        std::string buffer(fixture().bytes.size(), '\0');
        std::FILE* f = std::fopen(path.c_str(), "rb");
        benchmark::DoNotOptimize(std::fread(buffer.data(), 1, buffer.size(), f));
        std::fclose(f);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(fixture().bytes.size()));
}

void BM_Save(benchmark::State& state)
{
    Tdatatree set;
    set.FileName = fixture().dir.filePath("saved.tpl");
    set.LoadImage(fixture().bytes);
    for (auto _ : state)
        set.Save();
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(fixture().bytes.size()));
}

// One write call, as a program that does not care about a crash half way would do it.
void BM_PlainWrite(benchmark::State& state)
{
    const std::string path = fixture().dir.filePath("plain.tpl").toStdString();
    const std::string& bytes = fixture().bytes;
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        benchmark::DoNotOptimize(std::fwrite(bytes.data(), 1, bytes.size(), f));
        std::fclose(f);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

// The least a write that survives a power cut does: the same bytes to a temporary beside the
// file, synced, renamed over it, and the folder synced. Save does all of this too.
void BM_PlainWriteSynced(benchmark::State& state)
{
    const std::string folder = fixture().dir.path().toStdString();
    const std::string temporary = folder + "/.plain.tpl.tmp";
    const std::string path = folder + "/plain.tpl";
    const std::string& bytes = fixture().bytes;
    for (auto _ : state) {
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        benchmark::DoNotOptimize(::write(fd, bytes.data(), bytes.size()));
        ::fdatasync(fd);
        ::rename(temporary.c_str(), path.c_str());
        ::close(fd);
        const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::fsync(dir);
        ::close(dir);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

// The in-memory halves, to tell parsing and building from file I/O.
void BM_LoadImage(benchmark::State& state)
{
    Tdatatree set;
    for (auto _ : state) {
        set.LoadImage(fixture().bytes);
        state.PauseTiming();
        set.Clear();
        state.ResumeTiming();
    }
}

void BM_SaveImage(benchmark::State& state)
{
    Tdatatree set;
    set.LoadImage(fixture().bytes);
    for (auto _ : state)
        benchmark::DoNotOptimize(set.SaveImage());
}

} // namespace

BENCHMARK(BM_LoadImage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveImage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWriteSynced)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
