// SPDX-License-Identifier: MIT
// The store on a hive of 800 instance keys with 20 values each, and series
// that show how its cost grows with the values of one key, the number of keys,
// the depth of a key and the number of deletions, and what a file of blank
// lines costs in memory.
#include "common/registry/FileRegistry.h"
#include "tests/common/AllocationMeter.h"
#include "tests/support/TempDir.h"

#include <benchmark/benchmark.h>

using namespace velnet::registry;

namespace {

std::string bigHive()
{
    std::string text =
        "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\vxsrvnt]\n\n";
    for (int n = 0; n < 800; ++n) {
        text += "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\vxsrvnt" +
                std::to_string(n) + "\\Parameters]\n";
        for (int v = 0; v < 10; ++v)
            text += "\"Number" + std::to_string(v) + "\"=dword:0000000" + std::to_string(v) + "\n";
        for (int v = 0; v < 10; ++v)
            text += "\"Text" + std::to_string(v) + "\"=\"Enabled\"\n";
        text += "\n";
    }
    return text;
}

void OpenAndQueryOneValue(benchmark::State& state)
{
    velnet::test::TempDir dir;
    velnet::test::writeFile(dir.file("r.reg"), bigHive());
    FileRegistry reg(dir.file("r.reg"));
    for (auto _ : state) {
        Key key =
            reg.open(Root::LocalMachine,
                     "SYSTEM\\CurrentControlSet\\Services\\vxsrvnt799\\Parameters", Access::Full);
        benchmark::DoNotOptimize(key.queryString("Text9", 18));
    }
}
BENCHMARK(OpenAndQueryOneValue);

void LoadTheFile(benchmark::State& state)
{
    velnet::test::TempDir dir;
    velnet::test::writeFile(dir.file("r.reg"), bigHive());
    for (auto _ : state) {
        FileRegistry reg(dir.file("r.reg"));
        benchmark::DoNotOptimize(reg.errorText());
    }
}
BENCHMARK(LoadTheFile)->Unit(benchmark::kMillisecond);

void CommitThousandChangesAsOneGroup(benchmark::State& state)
{
    velnet::test::TempDir dir;
    velnet::test::writeFile(dir.file("r.reg"), bigHive());
    FileRegistry reg(dir.file("r.reg"));
    std::uint32_t round = 0;
    for (auto _ : state) {
        const int before = reg.rewriteCount();
        // Only the time is measured; the results of the writes are not.
        WriteGroup group(reg);
        for (int i = 0; i < 1000; ++i) {
            Key key = reg.open(Root::LocalMachine,
                               "SYSTEM\\CurrentControlSet\\Services\\vxsrvnt" +
                                   std::to_string(i % 800) + "\\Parameters",
                               Access::Full);
            (void)key.setDword("Number" + std::to_string(i % 10),
                               round + static_cast<std::uint32_t>(i));
        }
        (void)group.commit();
        state.counters["rewrites"] = reg.rewriteCount() - before;
        ++round;
    }
}
BENCHMARK(CommitThousandChangesAsOneGroup)->Unit(benchmark::kMillisecond);

// --- Series: each doubling of the size should about double the time. -------

std::string wideHive(int values)
{
    std::string text = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wide]\n";
    for (int v = 0; v < values; ++v)
        text += "\"Value" + std::to_string(v) + "\"=dword:" + std::to_string(v % 10) + "\n";
    return text;
}

std::string manyKeysHive(int keys)
{
    std::string text = "REGEDIT4\n\n";
    for (int k = 0; k < keys; ++k)
        text += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Many\\Key" + std::to_string(k) +
                "]\n\"n\"=dword:00000001\n\n";
    return text;
}

std::string deepPath(int depth)
{
    std::string path = "SOFTWARE";
    for (int d = 1; d < depth; ++d)
        path += "\\Level" + std::to_string(d);
    return path;
}

std::string deepHive(int depth)
{
    return "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\" + deepPath(depth) + "]\n\"n\"=dword:00000001\n";
}

// A hive of a given size and the key a series works on.
struct Series
{
    std::string (*hive)(int);
    std::string (*key)(int);
    std::string (*value)(int);
};

const Series kWide{wideHive, [](int) { return std::string("SOFTWARE\\Wide"); },
                   [](int n) { return "Value" + std::to_string(n - 1); }};
const Series kManyKeys{manyKeysHive,
                       [](int n) { return "SOFTWARE\\Many\\Key" + std::to_string(n - 1); },
                       [](int) { return std::string("n"); }};
const Series kDeep{deepHive, deepPath, [](int) { return std::string("n"); }};

// n values of one key, each deleted again by a "v"=- line, and n keys, each
// deleted again by a [-key] line.
std::string deletionsHive(int n)
{
    std::string text = wideHive(n);
    for (int v = 0; v < n; ++v)
        text += "\"Value" + std::to_string(v) + "\"=-\n";
    for (int k = 0; k < n; ++k)
        text += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone\\Key" + std::to_string(k) + "]\n";
    for (int k = 0; k < n; ++k)
        text += "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone\\Key" + std::to_string(k) + "]\n";
    return text;
}

const Series kDeletions{deletionsHive, [](int) { return std::string("SOFTWARE"); },
                        [](int) { return std::string("none"); }};

void Load(benchmark::State& state, const Series& series)
{
    const int n = static_cast<int>(state.range(0));
    velnet::test::TempDir dir;
    velnet::test::writeFile(dir.file("r.reg"), series.hive(n));
    for (auto _ : state) {
        FileRegistry reg(dir.file("r.reg"));
        benchmark::DoNotOptimize(reg.errorText());
    }
}

// A series' hive of the benchmark's size, in a store.
struct SeriesStore
{
    SeriesStore(const benchmark::State& state, const Series& series)
        : n(static_cast<int>(state.range(0))), key(series.key(n)), value(series.value(n))
    {
        velnet::test::writeFile(dir.file("r.reg"), series.hive(n));
        reg = std::make_unique<FileRegistry>(dir.file("r.reg"));
    }
    Key open(Access access) { return reg->open(Root::LocalMachine, key, access); }

    int n;
    std::string key, value;
    velnet::test::TempDir dir;
    std::unique_ptr<FileRegistry> reg;
};

// Open the last key and read its last value, a thousand times.
void Query(benchmark::State& state, const Series& series)
{
    SeriesStore store(state, series);
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i)
            benchmark::DoNotOptimize(store.open(Access::Read).queryDword(store.value));
    }
}

// One value set outside a group: the whole store is rewritten and read back.
void SetOne(benchmark::State& state, const Series& series)
{
    SeriesStore store(state, series);
    Key key = store.open(Access::Full);
    std::uint32_t round = 0;
    // Only the time is measured; the results of the writes are not.
    for (auto _ : state)
        (void)key.setDword(store.value, ++round);
}

// A thousand values set and saved as one group.
void SaveGroup(benchmark::State& state, const Series& series)
{
    SeriesStore store(state, series);
    Key key = store.open(Access::Full);
    std::uint32_t round = 0;
    // Only the time is measured; the results of the writes are not.
    for (auto _ : state) {
        WriteGroup group(*store.reg);
        ++round;
        for (int i = 0; i < 1000; ++i)
            (void)key.setDword("Set" + std::to_string(i), round);
        (void)group.commit();
    }
}

// Every value of a key of n values deleted by name, as one group
// (regtool delete /va).
void DeleteAll(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    velnet::test::TempDir dir;
    const std::string hive = wideHive(n);
    for (auto _ : state) {
        state.PauseTiming();
        velnet::test::writeFile(dir.file("r.reg"), hive);
        FileRegistry reg(dir.file("r.reg"));
        Key key = reg.open(Root::LocalMachine, "SOFTWARE\\Wide", Access::Full);
        state.ResumeTiming();
        WriteGroup group(reg);
        // Inside the group a deletion only changes the tree; the commit
        // below reports whether they reached the store.
        for (int v = 0; v < n; ++v)
            (void)key.deleteValue("Value" + std::to_string(v));
        if (group.commit() != Status::Success)
            state.SkipWithError("the deletions were not written");
    }
}

std::string blankLines(int n)
{
    return "REGEDIT4\n" + std::string(static_cast<std::size_t>(n), '\n') +
           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane]\n\"Kept\"=\"yes\"\n";
}

// The most the heap holds while a file of n blank lines loads, and while a
// value is added to it, per byte of the file.
void BlankLinesMemory(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    velnet::test::TempDir dir;
    const std::string text = blankLines(n);
    const auto size = static_cast<double>(text.size());
    for (auto _ : state) {
        state.PauseTiming();
        velnet::test::writeFile(dir.file("r.reg"), text);
        state.ResumeTiming();
        velnet::test::AllocationMeter::reset();
        FileRegistry reg(dir.file("r.reg"));
        state.counters["load_peak_per_byte"] =
            static_cast<double>(velnet::test::AllocationMeter::peak()) / size;
        velnet::test::AllocationMeter::reset();
        if (reg.open(Root::LocalMachine, "SOFTWARE\\Corvane", Access::Full).setDword("Added", 1) !=
            Status::Success)
            state.SkipWithError("the added value was not written");
        state.counters["add_peak_per_byte"] =
            static_cast<double>(velnet::test::AllocationMeter::peak()) / size;
    }
}

void valuesInOneKey(benchmark::internal::Benchmark* b)
{
    for (int n : {10000, 20000, 40000, 80000, 160000, 200000})
        b->Arg(n);
    b->Unit(benchmark::kMillisecond);
}

void numberOfKeys(benchmark::internal::Benchmark* b)
{
    for (int n : {1000, 2000, 4000, 8000, 16000, 32000, 50000})
        b->Arg(n);
    b->Unit(benchmark::kMillisecond);
}

void deletions(benchmark::internal::Benchmark* b)
{
    for (int n : {10000, 20000, 40000, 80000, 160000})
        b->Arg(n);
    b->Unit(benchmark::kMillisecond);
}

void lines(benchmark::internal::Benchmark* b)
{
    for (int n : {1000000, 4000000, 16000000, 50000000})
        b->Arg(n);
    b->Unit(benchmark::kMillisecond)->Iterations(1);
}

void depthOfKey(benchmark::internal::Benchmark* b)
{
    for (int n : {32, 64, 128, 256, 512})
        b->Arg(n);
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK_CAPTURE(Load, values, kWide)->Apply(valuesInOneKey);
BENCHMARK_CAPTURE(Query, values, kWide)->Apply(valuesInOneKey);
BENCHMARK_CAPTURE(SetOne, values, kWide)->Apply(valuesInOneKey);
BENCHMARK_CAPTURE(SaveGroup, values, kWide)->Apply(valuesInOneKey);
BENCHMARK_CAPTURE(Load, keys, kManyKeys)->Apply(numberOfKeys);
BENCHMARK_CAPTURE(Query, keys, kManyKeys)->Apply(numberOfKeys);
BENCHMARK_CAPTURE(SetOne, keys, kManyKeys)->Apply(numberOfKeys);
BENCHMARK_CAPTURE(SaveGroup, keys, kManyKeys)->Apply(numberOfKeys);
BENCHMARK_CAPTURE(Load, depth, kDeep)->Apply(depthOfKey);
BENCHMARK_CAPTURE(Query, depth, kDeep)->Apply(depthOfKey);
BENCHMARK_CAPTURE(SetOne, depth, kDeep)->Apply(depthOfKey);
BENCHMARK_CAPTURE(SaveGroup, depth, kDeep)->Apply(depthOfKey);
BENCHMARK(DeleteAll)->Apply(deletions);
BENCHMARK_CAPTURE(Load, deletions, kDeletions)->Apply(deletions);
BENCHMARK(BlankLinesMemory)->Apply(lines);

} // namespace

BENCHMARK_MAIN();
