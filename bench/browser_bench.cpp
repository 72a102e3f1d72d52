// The listing model on big folders: a full fill of 5,000 files with the
// presentation check on the .ppt among them, and an update in place of a
// 20,000-file folder.
#include "browser/dirfilelist.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <string>

namespace {

// A folder of `count` small files: pictures, some folders and one .ppt.
std::string makeFolder(QTemporaryDir& dir, int count)
{
    const std::string root = dir.path().toStdString() + "/";
    for (int i = 0; i < count; ++i) {
        const char* extension = i % 3 == 0 ? ".png" : ".jpg";
        QFile f(QString::fromStdString(root + "photo" + std::to_string(i) + extension));
        f.open(QIODevice::WriteOnly);
        f.write("x");
    }
    QFile ppt(QString::fromStdString(root + "talk.ppt"));
    ppt.open(QIODevice::WriteOnly);
    ppt.write(QByteArray(4096, '\0'));
    return root;
}

const std::string& folder5000()
{
    static QTemporaryDir dir;
    static const std::string root = makeFolder(dir, 5000);
    return root;
}

const std::string& folder20000()
{
    static QTemporaryDir dir;
    static const std::string root = makeFolder(dir, 20000);
    return root;
}

void BM_Fill5000(benchmark::State& state)
{
    const std::string& root = folder5000();
    CDirFileList list;
    for (auto _ : state) {
        list.Fill(root, "*.ppt;*.jpg;*.jpeg;*.bmp;*.dib;*.png", true,
                  CDirFileList::CheckByExtension);
        benchmark::DoNotOptimize(list.GetCount());
    }
}
BENCHMARK(BM_Fill5000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Update20000(benchmark::State& state)
{
    const std::string& root = folder20000();
    CDirFileList list;
    list.Fill(root, "*.*", true, 0);
    for (auto _ : state) {
        list.Fill({}, "*.*", false, 0);
        benchmark::DoNotOptimize(list.TakeGone().size());
    }
}
BENCHMARK(BM_Update20000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
