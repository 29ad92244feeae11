// Guards the reader against arbitrary input: random bytes and random mutations of valid exports
// (plain, gzip and zstd) either read or are refused with EScanFileError, never anything else.

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include "ScanFileTestSupport.h"
#include "scanfile/EScanFileError.h"
#include "scanfile/ScanFileReader.h"
#include "scanfile/ScanFileWriter.h"

namespace zelk {
namespace {

// The result of reading bytes: "ok", "refused", or what else escaped.
std::string Outcome(const std::string& bytes) {
    const int fd = memfd_create("fuzz", MFD_CLOEXEC);
    if (fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
        lseek(fd, 0, SEEK_SET) != 0) {
        return "no memory file";
    }
    std::string outcome = "ok";
    try {
        ScanFileReader::Read(fd, "fuzz");
    } catch (const EScanFileError&) {
        outcome = "refused";
    } catch (const std::exception& other) {
        outcome = other.what();
    }
    close(fd);
    return outcome;
}

// An export with each kind of entry, and our saves of it in every format.
std::vector<std::string> Seeds(const test::TempDir& dir) {
    std::vector<std::string> seeds{
        R"([1,2,{"progname":"ncdu"},[{"name":"/","dev":1},{"name":"f","asize":10,"dsize":4096,)"
        R"("ino":5,"hlnkc":true,"mtime":3},[{"name":"d","read_error":true},{"name":"x",)"
        R"("excluded":"pattern"}],{"name":"g\u00e9","asize":1,"nlink":2,"ino":5}]])"};
    const ScanFile read = ScanFileReader::Read(dir.Write("seed.json", seeds[0]));
    for (const char* name : {"s.json", "s.json.gz", "s.json.zst"}) {
        ScanFileWriter::Save(dir.Path() + "/" + name, *read.Root, "/srv", 1);
        seeds.push_back(test::ReadBytes(dir.Path() + "/" + name));
    }
    return seeds;
}

TEST(ScanFileFuzz, RandomBytesAndMutatedExportsAreReadOrRefused) {
    const test::TempDir dir;
    const std::vector<std::string> seeds = Seeds(dir);
    std::mt19937 random(20);
    const auto below = [&random](std::size_t n) {
        return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    // Pieces that reach the reader's own checks, not only the parser's.
    const std::vector<std::string> tokens = {
        "[",         "]",          "{",       "}",     ",",
        "\"",        "\\u0000",    "-1",      "1e999", "9223372036854775809",
        "\"name\":", "\"asize\":", "\x1f\x8b"};
    for (int round = 0; round < 4000; ++round) {
        std::string bytes;
        if (round % 8 == 0) {
            bytes.resize(below(300));
            for (char& c : bytes) {
                c = static_cast<char>(below(256));
            }
        } else {
            bytes = seeds[below(seeds.size())];
            for (std::size_t edits = 1 + below(4); edits > 0; --edits) {
                const std::size_t at = below(bytes.size() + 1);
                switch (below(4)) {
                    case 0:
                        bytes.resize(at);
                        break;
                    case 1:
                        bytes.insert(at, tokens[below(tokens.size())]);
                        break;
                    case 2:
                        bytes.erase(at, below(8));
                        break;
                    default:
                        if (at < bytes.size()) {
                            bytes[at] = static_cast<char>(bytes[at] ^ (1 << below(8)));
                        }
                }
            }
        }
        const std::string outcome = Outcome(bytes);
        ASSERT_TRUE(outcome == "ok" || outcome == "refused") << outcome << " at round " << round;
    }
}

}  // namespace
}  // namespace zelk
