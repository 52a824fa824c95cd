// Mutates real hive files many times over (seeded) and reads every mutant completely: any read outside the
// file is caught by the sanitizers this program is built with, and every walk must stay within bounds that
// follow from the file's size.
#include "engine/hive_file.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

namespace {

int failures = 0;

void Expect(bool ok, const char* what, unsigned seed) {
    if (!ok) {
        std::fprintf(stderr, "hive_fuzz: %s (seed %u)\n", what, seed);
        ++failures;
    }
}

// Reads everything the index offers; returns the number of items visited.
size_t ReadAll(const hive::HiveFile& file, size_t fileBytes, unsigned seed) {
    size_t items = 0;
    std::vector<std::uint8_t> data;
    std::u16string name;
    std::string error;
    Expect(file.Keys().size() <= fileBytes / 80 + 1, "more keys than key cells fit in the file", seed);
    for (std::uint32_t key = 0; key < file.Keys().size(); ++key) {
        name.resize(file.KeyNameChars(key));
        file.CopyKeyName(key, name.data());
        hive::KeyDetails details;
        if (!file.ReadKeyDetails(key, details, error)) {
            continue;
        }
        Expect(details.valueCount <= fileBytes / 4, "more values than the file holds", seed);
        file.ClassName(details);
        for (std::uint32_t i = 0; i < details.valueCount; ++i, ++items) {
            hive::ValueHeader value;
            if (!file.ReadValue(details, i, value, error)) {
                continue;
            }
            Expect(value.dataBytes <= fileBytes, "a value larger than the file", seed);
            name.resize(value.NameChars());
            hive::HiveFile::CopyValueName(value, name.data());
            data.resize(value.dataBytes);
            file.CopyValueData(value, data.data(), error);
        }
        items += file.Keys()[key].childCount + 1;
    }
    return items;
}

void Mutate(std::vector<std::uint8_t>& bytes, std::mt19937& random) {
    static const std::uint32_t kTelling[] = {0, 1, 0x20, 0x1000, 0x7FFFFFFF, 0x80000000, 0x80000004, 0xFFFFFFFF};
    const int edits = 1 + static_cast<int>(random() % 8);
    for (int e = 0; e < edits && bytes.size() > 8; ++e) {
        const size_t at = random() % (bytes.size() - 4);
        switch (random() % 4) {
        case 0: bytes[at] ^= static_cast<std::uint8_t>(1u << (random() % 8)); break;
        case 1: bytes[at] = static_cast<std::uint8_t>(random()); break;
        case 2: {
            const std::uint32_t v = kTelling[random() % std::size(kTelling)];
            for (int b = 0; b < 4; ++b) bytes[at + b] = static_cast<std::uint8_t>(v >> (8 * b));
            break;
        }
        default:
            if (random() % 8 == 0) bytes.resize(at); // truncated
            break;
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: hive_fuzz SEED MUTATIONS HIVE...\n");
        return 2;
    }
    const unsigned seed = static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10));
    const int mutations = std::atoi(argv[2]);
    for (int f = 3; f < argc; ++f) {
        std::ifstream in(argv[f], std::ios::binary);
        const std::vector<std::uint8_t> original{std::istreambuf_iterator<char>(in), {}};
        std::string error;
        auto clean = hive::HiveFile::Open(original, error);
        Expect(clean && clean->ProblemCount() == 0, "an undamaged hive was refused or found damaged", seed);
        for (int m = 0; m < mutations; ++m) {
            const unsigned runSeed = seed + static_cast<unsigned>(m) * 7919u + static_cast<unsigned>(f);
            std::mt19937 random(runSeed);
            std::vector<std::uint8_t> bytes = original;
            Mutate(bytes, random);
            const size_t size = bytes.size();
            if (auto file = hive::HiveFile::Open(std::move(bytes), error)) {
                ReadAll(*file, size, runSeed);
            } else {
                Expect(!error.empty(), "a refused hive without a reason", runSeed);
            }
        }
    }
    std::printf("hive_fuzz: %d mutations of %d hives, %d failures\n", mutations, argc - 3, failures);
    return failures ? 1 : 0;
}
