// Speed of the slide model on large projects: writing and reading the
// transfer block of a cell list, and assigning card names. All three must
// grow linearly with the number of cells.
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "model/cellinfolist.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

// A project of `count` cells: image cells with typical names, every tenth
// a control cell, every twentieth deleted.
void FillProject(CCellInfoList& list, int count)
{
    list.ProjectFolder = "/home/user/Documents/Zelm Tessara/Trip/";
    for (int i = 0; i < count; ++i) {
        if (i % 10 == 9) {
            auto cell = std::make_unique<CCellCtrlInfo>();
            cell->InputDev = i % 3;
            list.Append(std::move(cell));
            continue;
        }
        auto cell = std::make_unique<CCellBmpInfo>();
        const std::string stamp = std::to_string(0x3bbd8f1a + i);
        cell->FileName = "beach" + stamp + ".png";
        cell->ThumbFileName = "beach" + stamp + ".jpg";
        cell->RefFilePath = "/home/user/Pictures/Holiday 2001/beach" + std::to_string(i) + ".jpg";
        cell->RefFileTime = 0x3bbd8f1a;
        cell->RefPage = 1;
        cell->Effect = i % 42;
        if (i % 20 == 3)
            cell->StateFlags = CCellInfo::StateDeleted;
        list.Append(std::move(cell));
    }
}

void BM_WriteTransferBlock(benchmark::State& state)
{
    CCellInfoList list;
    FillProject(list, int(state.range(0)));
    size_t bytes = 0;
    for (auto _ : state) {
        const QByteArray block = list.ToBytes();
        bytes = size_t(block.size());
        benchmark::DoNotOptimize(block.constData());
    }
    state.SetComplexityN(state.range(0));
    state.counters["block_bytes"] = double(bytes);
}

void BM_ReadTransferBlock(benchmark::State& state)
{
    CCellInfoList list;
    FillProject(list, int(state.range(0)));
    const QByteArray block = list.ToBytes();
    for (auto _ : state) {
        CCellInfoList target;
        if (!target.AppendFromBytes(block))
            state.SkipWithError("block refused");
        benchmark::DoNotOptimize(target.GetCount());
    }
    state.SetComplexityN(state.range(0));
}

void BM_AssignCardNames(benchmark::State& state)
{
    CCellInfoList list;
    FillProject(list, int(state.range(0)));
    for (auto _ : state) {
        list.AssignCardNames("Presentation");
        benchmark::ClobberMemory();
    }
    state.SetComplexityN(state.range(0));
}

} // namespace

BENCHMARK(BM_WriteTransferBlock)
    ->Arg(10000)
    ->Arg(20000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadTransferBlock)
    ->Arg(10000)
    ->Arg(20000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AssignCardNames)
    ->Arg(10000)
    ->Arg(20000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
