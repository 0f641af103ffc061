// Writing and reading a day list of 10,000 contributions, with the load compared against a plain
// memcpy of the same bytes from main memory, measured alternately in the same run.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <vector>

#include "dayfixture.h"
#include "platform/file.h"
#include "platform/fileimage.h"
#include "serialization/serializer.h"
#include "twitter_api/model/contributionlistofday.h"

namespace {

using twitter_api::CContributionListOfDay;
using twitter_api::ContributionListPtr;

constexpr int kContributions = 10'000;

ContributionListPtr MakeDay() {
    return MakeBenchDay(kContributions);
}

const std::string& FilePath() {
    static const std::string path =
        (std::filesystem::temp_directory_path() / "warblet-archive-bench.dat").string();
    return path;
}

void Save(const ContributionListPtr& list) {
    serialization::Serializer archive(FilePath(), serialization::FileMode::Out);
    ContributionListPtr root = list;
    archive.transfer(root, serialization::Tracking::Tracked);
    archive.close();
}

ContributionListPtr Load() {
    auto list = std::make_shared<CContributionListOfDay>();
    serialization::Serializer archive(FilePath(), serialization::FileMode::In);
    archive.transfer(list, serialization::Tracking::Tracked);
    return list;
}

// Wall time and the thread's processor time, summed over the timed stretches. The processor time
// leaves out the time other programs on a busy machine take from this one.
class Stopwatch {
  public:
    void start() {
        mWallStart = std::chrono::steady_clock::now();
        mCpuStart = ThreadCpuSeconds();
    }
    double stop() {
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - mWallStart).count();
        mWall += wall;
        mCpu += ThreadCpuSeconds() - mCpuStart;
        return wall;
    }
    double wall() const { return mWall; }
    double cpu() const { return mCpu; }

  private:
    static double ThreadCpuSeconds() {
        timespec now{};
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
    }

    std::chrono::steady_clock::time_point mWallStart;
    double mCpuStart = 0;
    double mWall = 0;
    double mCpu = 0;
};

// Copies of blocks of the file's size out of a pool far larger than the caches, so that every copy
// reads from main memory as a first load of a file does.
class MainMemoryCopy {
  public:
    explicit MainMemoryCopy(size_t blockSize)
        : mBlockSize(blockSize),
          mBlocks((size_t{256} << 20) / blockSize),
          mPool(mBlocks * blockSize, 'x'),
          mDestination(blockSize) {}

    // Copies the next block and adds the time it took to total.
    void copyOne(Stopwatch& total) {
        const char* source = mPool.data() + (mNext++ % mBlocks) * mBlockSize;
        total.start();
        std::memcpy(mDestination.data(), source, mBlockSize);
        benchmark::DoNotOptimize(mDestination.data());
        benchmark::ClobberMemory();
        total.stop();
    }

  private:
    size_t mBlockSize;
    size_t mBlocks;
    std::vector<char> mPool;
    std::vector<char> mDestination;
    size_t mNext = 0;
};

// Asks the kernel to drop the file's pages from its cache, so the next read comes from the disk.
void DropFromPageCache(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fdatasync(fd);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

void BM_SaveDayList(benchmark::State& state) {
    const auto list = MakeDay();
    for (auto _ : state) {
        Save(list);
    }
    const auto bytes = static_cast<int64_t>(std::filesystem::file_size(FilePath()));
    state.SetBytesProcessed(state.iterations() * bytes);
}

// What a save costs the thread that asks for it when the file is written on another thread.
void BM_EncodeDayList(benchmark::State& state) {
    const auto list = MakeDay();
    size_t bytes = 0;
    for (auto _ : state) {
        serialization::Serializer archive;
        ContributionListPtr root = list;
        archive.transfer(root, serialization::Tracking::Tracked);
        bytes = archive.takeBytes().size();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}

// Each load replaces the previous result, as a tab replaces its lists, and freeing the previous one
// is timed with it. Reading the file alone into memory is timed too, as the floor under the load.
// Each load is paired with a copy of as many bytes from main memory (a block of a pool far larger
// than the caches), so that both figures see the same state of the machine. With range(0) set, the
// file is dropped from the page cache before each load.
void BM_LoadDayList(benchmark::State& state) {
    const bool cold = state.range(0) != 0;
    Save(MakeDay());
    const auto bytes = static_cast<double>(std::filesystem::file_size(FilePath()));
    MainMemoryCopy yardstick(static_cast<size_t>(bytes));
    ContributionListPtr loaded;
    Stopwatch load;
    Stopwatch copy;
    Stopwatch readAlone;  // the floor under any decoding: taking the file into memory
    for (auto _ : state) {
        if (cold) {
            DropFromPageCache(FilePath());
        }
        readAlone.start();
        benchmark::DoNotOptimize(platform::FileImage::Read(FilePath()).get());
        readAlone.stop();
        if (cold) {
            DropFromPageCache(FilePath());
        }
        yardstick.copyOne(copy);
        load.start();
        loaded.reset();
        loaded = Load();
        benchmark::DoNotOptimize(loaded.get());
        state.SetIterationTime(load.stop());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
    state.counters["file_bytes"] = bytes;
    state.counters["memcpy_MB/s"] =
        bytes * static_cast<double>(state.iterations()) / copy.wall() / 1e6;
    state.counters["load_to_memcpy"] = copy.wall() / load.wall();
    state.counters["cpu_load_to_memcpy"] = copy.cpu() / load.cpu();
    state.counters["read_alone_to_memcpy"] = copy.wall() / readAlone.wall();
}

BENCHMARK(BM_SaveDayList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeDayList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadDayList)
    ->ArgName("cold")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
