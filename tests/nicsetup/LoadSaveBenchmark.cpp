// SPDX-License-Identifier: MIT
// Load and save of nicsetup on the largest configuration the tables hold,
// beside the cost of only parsing the store file. Built, never run by ctest.
#include "common/registry/RegFormat.h"
#include "nicsetup/ConfigLoader.h"
#include "nicsetup/ConfigSaver.h"
#include "tests/nicsetup/HiveTestSupport.h"

#include <benchmark/benchmark.h>
#include <chrono>

using namespace velnet::nicsetup;
using velnet::nicsetup::test::maximalHive;
using velnet::nicsetup::test::TestStore;

namespace {

const std::string& hive()
{
    static const std::string text = maximalHive();
    return text;
}

// What opening the store costs at least: reading its text into a tree.
void BM_ParseStoreText(benchmark::State& state)
{
    for (auto _ : state) {
        const auto parsed = velnet::registry::parseRegFile(hive());
        velnet::registry::RegTree tree;
        velnet::registry::applyActions(tree, parsed.actions);
        benchmark::DoNotOptimize(tree);
    }
    state.counters["bytes"] = static_cast<double>(hive().size());
}
BENCHMARK(BM_ParseStoreText)->Unit(benchmark::kMillisecond);

// Opening the store file and loading the tables from it, as the program
// starts. load_over_parse compares it with parsing the same text, timed
// outside the measured part of each iteration.
void BM_Load(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    TestStore store(hive());
    Clock::duration parse{}, load{};
    for (auto _ : state) {
        state.PauseTiming();
        const auto parseStart = Clock::now();
        {
            const auto parsed = velnet::registry::parseRegFile(hive());
            velnet::registry::RegTree tree;
            velnet::registry::applyActions(tree, parsed.actions);
            benchmark::DoNotOptimize(tree);
        }
        parse += Clock::now() - parseStart;
        state.ResumeTiming();

        const auto loadStart = Clock::now();
        {
            velnet::registry::FileRegistry registry(store.path());
            if (ConfigLoader(registry).load() != LoadResult::Loaded)
                state.SkipWithError("load failed");
        }
        load += Clock::now() - loadStart;
    }
    state.counters["load_over_parse"] =
        std::chrono::duration<double>(load) / std::chrono::duration<double>(parse);
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);

// One save of everything; it must be one rewrite of the store file.
void BM_Save(benchmark::State& state)
{
    TestStore store(hive());
    ConfigLoader(store.registry()).load();
    int saves = 0;
    for (auto _ : state) {
        if (!ConfigSaver(store.registry()).save())
            state.SkipWithError("save failed");
        ++saves;
    }
    state.counters["rewrites_per_save"] =
        static_cast<double>(store.registry().rewriteCount()) / saves;
    if (store.registry().rewriteCount() != saves)
        state.SkipWithError("a save rewrote the store more than once");
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
