// The folder chooser over a large folder: FillFolderNode (one search pass, children inserted at
// once) and the expansion of a node with thousands of children, each measured beside a bare
// directory walk with a status read per entry of the same folder.
//
// Run: QT_QPA_PLATFORM=offscreen bench_ftree
#include "tree/FTree.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int kFolders = 5000;
constexpr int kFiles = 5000;

fs::path g_big;  // kFolders subfolders (each with one subfolder) and kFiles files

std::vector<VolumeRoot> BenchRoots()
{
    return {VolumeRoot{g_big.string(), ""}};
}

void MakeBigFolder()
{
    char pattern[] = "/tmp/velmora-bench-tree-XXXXXX";
    g_big = mkdtemp(pattern);
    for (int i = 0; i < kFolders; ++i)
        fs::create_directories(g_big / ("DIR" + std::to_string(i)) / "sub");
    for (int i = 0; i < kFiles; ++i)
        std::ofstream(g_big / ("IMG_" + std::to_string(i) + ".JPG")) << "x";
}

// The least any listing of the folder costs: every entry read and its status taken.
void BareWalk(const fs::path& folder, benchmark::State& state)
{
    int nFolders = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (entry.status().type() == fs::file_type::directory)
            ++nFolders;
    }
    benchmark::DoNotOptimize(nFolders);
    if (nFolders != kFolders)
        state.SkipWithError("unexpected folder count");
}

void BM_BareWalk(benchmark::State& state)
{
    for (auto _ : state)
        BareWalk(g_big, state);
}

void BM_FillFolderNode(benchmark::State& state)
{
    TFormTree form;
    auto* pNode = new QTreeWidgetItem(QStringList("big"));
    form.TreeView->addTopLevelItem(pNode);
    TxString strPath(g_big.c_str());
    for (auto _ : state)
        form.FillFolderNode(strPath, pNode);
    if (pNode->childCount() != kFolders)
        state.SkipWithError("unexpected child count");
}

// The bare walk of the folder and of each of its subfolders: what an expansion must read.
void BM_BareWalkOneLevelDeeper(benchmark::State& state)
{
    for (auto _ : state) {
        for (int i = 0; i < kFolders; ++i) {
            for (const fs::directory_entry& entry : fs::directory_iterator(g_big / ("DIR" + std::to_string(i))))
                benchmark::DoNotOptimize(entry.status().type());
        }
    }
}

void BM_ExpandNode(benchmark::State& state)
{
    TFormTree::s_pfnVolumeRoots = &BenchRoots;
    TFormTree form;
    form.FillDrives();
    QTreeWidgetItem* pRoot = form.TreeView->topLevelItem(0);
    for (auto _ : state) {
        form.TreeViewExpanded(pRoot);
        benchmark::DoNotOptimize(pRoot->child(0)->childCount());
    }
}

BENCHMARK(BM_BareWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillFolderNode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareWalkOneLevelDeeper)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExpandNode)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    MakeBigFolder();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(g_big);
    return 0;
}
