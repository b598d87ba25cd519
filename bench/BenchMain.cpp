// The benchmark's main. It runs the selected benchmarks as Google Benchmark's own main would, then,
// when any benchmark named "OpenSSL..." ran, runs those once more in a child process of this same
// executable whose environment masks AES-NI and SSSE3 from OpenSSL (OPENSSL_ia32cap). OpenSSL reads
// that variable once, when libcrypto is loaded, before main: setting it inside a running process
// changes nothing, so a fresh process is the sound way to measure its table-driven AES beside the
// hardware one in one run. At the end it prints the comparisons that the benchmarks registered.
#include "BenchApplication.h"
#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// Bits 57 (AES-NI) and 41 (SSSE3) of the first capability word: without them OpenSSL uses neither
// its AES-NI nor its SSSE3 (vector permutation) AES code, only the table-driven one.
constexpr const char* kMaskedCapabilities = "OPENSSL_ia32cap=~0x200000200000000";
constexpr const char* kChildResultsVariable = "QKM_BENCH_MASKED_RESULTS";

using Throughputs = std::map<std::string, double>; // benchmark name -> bytes per second

// The console output as usual, and each run's throughput kept for the comparison.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const auto rate = run.counters.find("bytes_per_second");
            if (run.run_type == Run::RT_Iteration && !run.error_occurred && rate != run.counters.end()) {
                mThroughputs[run.benchmark_name()] = rate->second.value;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    const Throughputs& Results() const { return mThroughputs; }

private:
    Throughputs mThroughputs;
};

bool AnyOpenSSL(const Throughputs& results)
{
    for (const auto& [name, rate] : results) {
        if (name.rfind("OpenSSL", 0) == 0) {
            return true;
        }
    }
    return false;
}

// Runs this executable again on the OpenSSL benchmarks with the capabilities masked.
Throughputs RunMaskedChild(int argc, char** argv)
{
    char resultsName[] = "/tmp/qkm-bench-XXXXXX";
    const int fd = mkstemp(resultsName);
    if (fd < 0) {
        std::perror("qkm_bench: temporary file");
        return {};
    }
    close(fd);

    std::vector<std::string> args = {argv[0]};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--benchmark_filter", 0) != 0 && arg.rfind("--benchmark_out", 0) != 0) {
            args.push_back(arg);
        }
    }
    args.emplace_back("--benchmark_filter=^OpenSSL");
    std::vector<char*> childArgv;
    for (auto& a : args) {
        childArgv.push_back(a.data());
    }
    childArgv.push_back(nullptr);

    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        if (std::strncmp(*e, "OPENSSL_ia32cap=", 16) != 0) {
            env.emplace_back(*e);
        }
    }
    env.emplace_back(kMaskedCapabilities);
    env.emplace_back(std::string(kChildResultsVariable) + "=" + resultsName);
    std::vector<char*> childEnv;
    for (auto& e : env) {
        childEnv.push_back(e.data());
    }
    childEnv.push_back(nullptr);

    std::fflush(stdout);
    pid_t pid = 0;
    Throughputs results;
    if (posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, childArgv.data(), childEnv.data()) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        std::ifstream in(resultsName);
        std::string name;
        double rate = 0;
        while (in >> name >> rate) {
            results[name] = rate;
        }
    } else {
        std::perror("qkm_bench: starting the masked run");
    }
    std::remove(resultsName);
    return results;
}

void PrintComparisons(const Throughputs& own, const Throughputs& masked)
{
    bool header = false;
    for (const auto& [subject, reference] : qkmbench::Comparisons()) {
        const auto s = own.find(subject);
        const auto r = own.find(reference);
        if (s == own.end() || r == own.end()) {
            continue;
        }
        if (!header) {
            std::printf("\n%-42s %9s  %-32s %9s %7s %9s %7s\n", "subject", "MB/s", "reference", "MB/s", "ratio",
                        "masked", "ratio");
            header = true;
        }
        const auto m = masked.find(reference);
        // Ratio: how many times longer the subject takes than the reference for the same bytes.
        std::printf("%-42s %9.1f  %-32s %9.1f %7.2f", subject.c_str(), s->second / 1e6, reference.c_str(),
                    r->second / 1e6, r->second / s->second);
        if (m != masked.end()) {
            std::printf(" %9.1f %7.2f", m->second / 1e6, m->second / s->second);
        }
        std::printf("\n");
    }
    if (header) {
        std::printf("ratio = reference MB/s / subject MB/s; \"masked\": OpenSSL with %s\n", kMaskedCapabilities);
    }
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    EndBenchApplication();

    if (const char* resultsName = std::getenv(kChildResultsVariable)) {
        std::ofstream out(resultsName);
        for (const auto& [name, rate] : reporter.Results()) {
            out << name << ' ' << rate << '\n';
        }
        return 0;
    }
    Throughputs masked;
    if (AnyOpenSSL(reporter.Results())) {
        std::printf("\nOpenSSL once more with AES-NI and SSSE3 masked (%s):\n", kMaskedCapabilities);
        masked = RunMaskedChild(argc, argv);
    }
    PrintComparisons(reporter.Results(), masked);
    return 0;
}
