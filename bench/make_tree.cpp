// Writes a deterministic synthetic tree for the benchmarks: the same arguments always give the
// same folders, names, sizes and bytes. Originals are random bytes, so two different files of
// one size differ at their first bytes and at every sample; a duplicate is an exact copy of an
// earlier file. No file is empty, and no two different files of 10 MB or more share a size, so
// a sampled comparison and a full one find the same groups.
#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct ClassRange {
    const char* code;
    std::uint64_t smallest;
    std::uint64_t largest;
};

// Empty files are left out on purpose: most peers skip them.
constexpr std::array<ClassRange, 7> kClasses{{{"t", 1, 1023},
                                              {"vs", 1024, 10239},
                                              {"s", 10240, 102399},
                                              {"n", 102400, 1048575},
                                              {"l", 1048576, 10485759},
                                              {"vl", 10485760, 104857599},
                                              {"h", 104857600, 209715199}}};

// About 4 GB for 100,000 files.
constexpr std::array<double, 7> kDefaultMix{20, 36, 40, 4, 0.1, 0.01, 0};

std::uint64_t SplitMix(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

double Uniform(std::uint64_t& state) {
    return static_cast<double>(SplitMix(state) >> 11) * (1.0 / 9007199254740992.0);
}

struct Options {
    std::uint64_t files = 100000;
    std::array<double, 7> mix = kDefaultMix;
    double duplicates = 0.2;
    std::uint64_t seed = 1;
    std::uint64_t perFolder = 100; // files per folder; 32 folders per top folder
    std::string root;
};

void Usage() {
    std::fprintf(stderr, "usage: make-tree [--files N] [--mix t:W,vs:W,s:W,n:W,l:W,vl:W,h:W]\n"
                         "                 [--duplicates SHARE] [--seed S] [--per-folder N] DIR\n"
                         "  defaults: --files 100000 --mix t:20,vs:36,s:40,n:4,l:0.1,vl:0.01,h:0\n"
                         "            --duplicates 0.2 --seed 1 --per-folder 100\n");
}

bool ParseMix(const std::string& text, std::array<double, 7>& mix) {
    mix.fill(0);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        const std::string item = text.substr(start, comma - start);
        const std::size_t colon = item.find(':');
        if (colon == std::string::npos) return false;
        const std::string code = item.substr(0, colon);
        const auto it = std::find_if(kClasses.begin(), kClasses.end(),
                                     [&](const ClassRange& c) { return code == c.code; });
        if (it == kClasses.end()) return false;
        char* end = nullptr;
        const double weight = std::strtod(item.c_str() + colon + 1, &end);
        if (*end != '\0' || weight < 0) return false;
        mix[static_cast<std::size_t>(it - kClasses.begin())] = weight;
        start = comma + 1;
    }
    double sum = 0;
    for (const double w : mix)
        sum += w;
    return sum > 0;
}

bool ParseArguments(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        char* end = nullptr;
        if (arg == "--files" && hasValue) {
            options.files = std::strtoull(argv[++i], &end, 10);
            if (*end != '\0') return false;
        } else if (arg == "--mix" && hasValue) {
            if (!ParseMix(argv[++i], options.mix)) return false;
        } else if (arg == "--duplicates" && hasValue) {
            options.duplicates = std::strtod(argv[++i], &end);
            if (*end != '\0' || options.duplicates < 0 || options.duplicates >= 1) return false;
        } else if (arg == "--per-folder" && hasValue) {
            options.perFolder = std::strtoull(argv[++i], &end, 10);
            if (*end != '\0' || options.perFolder == 0) return false;
        } else if (arg == "--seed" && hasValue) {
            options.seed = std::strtoull(argv[++i], &end, 10);
            if (*end != '\0') return false;
        } else if (arg.starts_with("-") || !options.root.empty()) {
            return false;
        } else {
            options.root = arg;
        }
    }
    return !options.root.empty();
}

struct Planned {
    std::uint64_t size;
    std::uint64_t content; // files with the same content id are byte-for-byte equal
};

std::vector<Planned> Plan(const Options& options) {
    std::uint64_t rng = options.seed * 0xA24BAED4963EE407ULL + 1;
    double sum = 0;
    for (const double w : options.mix)
        sum += w;
    std::set<std::uint64_t> bigSizes; // sizes of 10 MB and more stay unique among originals
    std::vector<Planned> plan;
    plan.reserve(options.files);
    for (std::uint64_t f = 0; f < options.files; ++f) {
        if (f > 0 && Uniform(rng) < options.duplicates) {
            plan.push_back(plan[SplitMix(rng) % plan.size()]);
            continue;
        }
        double pick = Uniform(rng) * sum;
        std::size_t c = 0;
        while (c + 1 < kClasses.size() && pick >= options.mix[c]) {
            pick -= options.mix[c];
            ++c;
        }
        while (options.mix[c] == 0) // rounding may run past the last class with a weight
            --c;
        // Log-uniform within the class: small sizes are common, as on real disks.
        const double low = std::log(static_cast<double>(kClasses[c].smallest));
        const double high = std::log(static_cast<double>(kClasses[c].largest) + 1);
        std::uint64_t size =
            static_cast<std::uint64_t>(std::exp(low + (high - low) * Uniform(rng)));
        size = std::clamp(size, kClasses[c].smallest, kClasses[c].largest);
        if (size >= kClasses[5].smallest) {
            while (!bigSizes.insert(size).second)
                ++size;
        }
        plan.push_back({size, f});
    }
    return plan;
}

bool WriteFile(const std::string& path, const Planned& file, std::uint64_t seed,
               std::vector<std::uint64_t>& buffer) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    std::uint64_t rng = (seed << 32) ^ (file.content * 0xD1B54A32D192ED03ULL);
    std::uint64_t left = file.size;
    bool ok = true;
    while (left > 0 && ok) {
        for (auto& word : buffer)
            word = SplitMix(rng);
        std::size_t part =
            static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size() * 8));
        const char* p = reinterpret_cast<const char*>(buffer.data());
        left -= part;
        while (part > 0) {
            const ssize_t n = write(fd, p, part);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                ok = false;
                break;
            }
            p += n;
            part -= static_cast<std::size_t>(n);
        }
    }
    return close(fd) == 0 && ok;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseArguments(argc, argv, options)) {
        Usage();
        return 2;
    }
    const std::vector<Planned> plan = Plan(options);
    mkdir(options.root.c_str(), 0755);
    std::vector<std::uint64_t> buffer(1 << 17); // 1 MB
    std::uint64_t bytes = 0;
    std::uint64_t copies = 0;
    std::set<std::uint64_t> seen;
    char name[64];
    for (std::uint64_t f = 0; f < plan.size(); ++f) {
        const std::uint64_t folder = f / options.perFolder;
        std::snprintf(name, sizeof name, "/a%03llu", static_cast<unsigned long long>(folder / 32));
        std::string path = options.root + name;
        if (f % (32 * options.perFolder) == 0) mkdir(path.c_str(), 0755);
        std::snprintf(name, sizeof name, "/b%02llu", static_cast<unsigned long long>(folder % 32));
        path += name;
        if (f % options.perFolder == 0) mkdir(path.c_str(), 0755);
        std::snprintf(name, sizeof name, "/f%07llu.bin", static_cast<unsigned long long>(f));
        path += name;
        if (!WriteFile(path, plan[f], options.seed, buffer)) {
            std::fprintf(stderr, "make-tree: cannot write %s\n", path.c_str());
            return 1;
        }
        bytes += plan[f].size;
        if (!seen.insert(plan[f].content).second) ++copies;
    }
    std::printf("files: %llu\nbytes: %llu\ncopies: %llu\n",
                static_cast<unsigned long long>(plan.size()),
                static_cast<unsigned long long>(bytes), static_cast<unsigned long long>(copies));
    return 0;
}
