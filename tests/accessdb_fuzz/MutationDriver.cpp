// A deterministic mutation fuzzer for builds without libFuzzer (and for the sanitizer build):
// takes the fixture databases (and whatever seeds the entry point adds), damages copies in many
// ways (bit flips, interesting values in header and page fields, encryption headers,
// truncation, pages copied over
// other pages) and feeds each to the entry point it is linked with (the reader's, shared with
// the libFuzzer target, or the writer's).
//   fuzz_accessdb_mutate ITERATIONS|SECONDSs SEED DIR...
// "1800s" runs for half an hour and reports progress every minute. Exit 0 when every input was
// handled, 77 when no fixture was found (the test is skipped).
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
// Seeds of the entry point's own besides the fixtures (none for the reader).
std::vector<std::vector<std::uint8_t>> FuzzExtraSeeds();

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Mutate(std::vector<std::uint8_t>& b, std::mt19937& random) {
    if (b.empty())
        return;
    const std::size_t page = (b.size() > 0x14 && b[0x14] == 0) ? 2048 : 4096;
    // Most structures that matter sit in the first pages: aim there most of the time.
    auto offset = [&]() -> std::size_t {
        std::size_t span = (random() % 4 == 0) ? b.size() : std::min(b.size(), page * 48);
        return random() % span;
    };
    // An encrypted .accdb: now and then damage its encryption header (descriptor, verifier).
    if (b.size() >= page && b[0x14] >= 2 && random() % 4 == 0) {
        for (int i = 0, n = 1 + static_cast<int>(random() % 4); i < n; ++i) {
            const std::size_t at = 0x299 + random() % 0x480;
            b[at] = static_cast<std::uint8_t>(b[at] ^ (1u << (random() % 8)));
        }
        return;
    }
    switch (random() % 6) {
        case 0:
            for (int i = 0, n = 1 + static_cast<int>(random() % 16); i < n; ++i) {
                std::size_t at = offset();
                b[at] = static_cast<std::uint8_t>(b[at] ^ (1u << (random() % 8)));
            }
            break;
        case 1: {
            static const std::uint8_t interesting[] = {0x00, 0x01, 0x02, 0x7F, 0x80,
                                                       0xFE, 0xFF, 0x40, 0xC0, 0x10};
            for (int i = 0, n = 1 + static_cast<int>(random() % 8); i < n; ++i)
                b[offset()] = interesting[random() % sizeof interesting];
            break;
        }
        case 2: {
            // A 16- or 32-bit field at a typical header offset of some page gets a random value.
            std::size_t p =
                (random() % std::max<std::size_t>(1, std::min(b.size() / page, std::size_t{48}))) *
                page;
            static const std::size_t fields[] = {2,  4,  8,  12, 14, 16, 20, 24,   41,
                                                 43, 45, 47, 51, 55, 59, 63, 0x14, 0x3E};
            std::size_t at = p + fields[random() % (sizeof fields / sizeof fields[0])];
            std::uint32_t v = random();
            for (int k = 0; k < 4 && at + static_cast<std::size_t>(k) < b.size(); ++k)
                b[at + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(v >> (8 * k));
            break;
        }
        case 3:
            b.resize(random() % b.size());
            break;
        case 4: {
            std::size_t pages = b.size() / page;
            if (pages < 2)
                break;
            std::size_t from = random() % pages, to = 1 + random() % (pages - 1);
            std::copy_n(b.begin() + static_cast<std::ptrdiff_t>(from * page), page,
                        b.begin() + static_cast<std::ptrdiff_t>(to * page));
            break;
        }
        default: {
            std::size_t at = offset();
            std::size_t n = std::min<std::size_t>(b.size() - at, 1 + random() % 64);
            for (std::size_t k = 0; k < n; ++k)
                b[at + k] = static_cast<std::uint8_t>(random());
            break;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::cerr << "usage: fuzz_accessdb_mutate ITERATIONS SEED DIR...\n";
        return 2;
    }
    const std::string budget = argv[1];
    const bool timed = !budget.empty() && budget.back() == 's';
    const long limit = std::stol(timed ? budget.substr(0, budget.size() - 1) : budget);
    std::mt19937 random(static_cast<std::uint32_t>(std::stoul(argv[2])));
    std::vector<std::vector<std::uint8_t>> seeds;
    for (int i = 3; i < argc; ++i) {
        if (!fs::is_directory(argv[i]))
            continue;
        std::vector<fs::path> files;
        for (const auto& e : fs::directory_iterator(argv[i])) {
            auto ext = e.path().extension().string();
            if (ext == ".mdb" || ext == ".accdb")
                files.push_back(e.path());
        }
        std::sort(files.begin(), files.end());
        for (const auto& f : files)
            seeds.push_back(ReadFile(f));
    }
    if (seeds.empty()) {
        std::cout << "no fixture databases found: skipped\n";
        return 77;
    }
    for (auto& extra : FuzzExtraSeeds())
        seeds.push_back(std::move(extra));
    for (const auto& s : seeds)
        LLVMFuzzerTestOneInput(s.data(), s.size());
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    Clock::time_point nextReport = start + std::chrono::minutes(1);
    long done = 0;
    for (;; ++done) {
        if (timed ? Clock::now() - start >= std::chrono::seconds(limit) : done >= limit)
            break;
        std::vector<std::uint8_t> input = seeds[static_cast<std::size_t>(done) % seeds.size()];
        for (int rounds = 1 + static_cast<int>(random() % 3); rounds > 0; --rounds)
            Mutate(input, random);
        LLVMFuzzerTestOneInput(input.data(), input.size());
        if (timed && Clock::now() >= nextReport) {
            nextReport += std::chrono::minutes(1);
            std::cout
                << done + 1 << " inputs after "
                << std::chrono::duration_cast<std::chrono::minutes>(Clock::now() - start).count()
                << " min" << std::endl;
        }
    }
    std::cout << done << " mutated inputs over " << seeds.size() << " databases in "
              << std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start).count()
              << " s: no finding\n";
    return 0;
}
