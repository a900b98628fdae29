// The store on a hive of 800 instance keys with 20 values each.
#include "TempDir.h"
#include "registry/FileRegistry.h"

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
        WriteGroup group(reg);
        for (int i = 0; i < 1000; ++i) {
            Key key = reg.open(Root::LocalMachine,
                               "SYSTEM\\CurrentControlSet\\Services\\vxsrvnt" +
                                   std::to_string(i % 800) + "\\Parameters",
                               Access::Full);
            key.setDword("Number" + std::to_string(i % 10), round + static_cast<std::uint32_t>(i));
        }
        group.commit();
        state.counters["rewrites"] = reg.rewriteCount() - before;
        ++round;
    }
}
BENCHMARK(CommitThousandChangesAsOneGroup)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
