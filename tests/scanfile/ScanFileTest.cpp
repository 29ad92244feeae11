// Guards scan files: a save reads back as the same records in every format, unusual but valid
// exports read as a scan would have counted them, any depth reads and writes without
// recursion, the reader's bounds (a tightly packed file of millions of directories opens, a long
// read of files alone stops when asked, standard input is read through a real pipe), the
// exports of ncdu and gdu against our own scan, and any mutated input either read or refused.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "ScanFileTestSupport.h"
#include "scanfile/CompressingOutput.h"
#include "scanfile/EScanFileError.h"
#include "scanfile/ScanExport.h"
#include "scanfile/ScanFileReader.h"
#include "scanfile/ScanFileWriter.h"
#include "scanfile/ScanRecords.h"

namespace zelk::test {
namespace {

using Format = CompressingOutput::Format;

// Odd name bytes, dates, an unreadable and an empty directory, files folded into their totals,
// and sub-directories with the names that a directory's files entry would take first.
const std::string kSample =
    R"([1,2,{},[{"name":"/srv/data","mtime":5},{"name":"f","asize":123,"dsize":104},)"
    R"x([{"name":"(ファイル)"},{"name":"g","asize":5,"dsize":5}],[{"name":"(ファイル 2)"}],)x"
    R"([{"name":"a)"
    "\xff"
    R"(\"\\\n\u0001 \u3042","mtime":1600000000},{"name":"g","asize":5000,)"
    R"("dsize":3096},[{"name":"b","mtime":1500000000},{"name":"h","asize":1000,"dsize":2000}]],)"
    R"([{"name":"locked","read_error":true}],[{"name":"empty"}]]])";

TEST(ScanFiles, SaveReadsBackAsTheSameRecordsPlainGzipAndZstd) {
    const TempDir dir;
    const ScanFile sample = ScanFileReader::Read(dir.Write("sample.json", kSample));
    const std::pair<const char*, std::string> rows[] = {
        {"s.json", "[1,2,"}, {"s.json.gz", "\x1f\x8b"}, {"s.json.zst", "\x28\xb5\x2f\xfd"}};
    for (const auto& [name, magic] : rows) {
        const std::string file = dir.Path() + "/" + name;
        ScanFileWriter::Save(file, *sample.Root, "/srv/data", 1'700'000'000);
        EXPECT_EQ(ReadBytes(file).substr(0, magic.size()), magic) << name;
        const ScanFile read = ScanFileReader::Read(file);
        EXPECT_EQ(Brief(*read.Root), Brief(*sample.Root)) << name;
        EXPECT_EQ(read.RootName, "/srv/data");
    }
    EXPECT_NE(ReadBytes(dir.Path() + "/s.json").find(R"x({"name":"(ファイル 3)","asize":123,)x"),
              std::string::npos);
}

TEST(ScanFiles, UnusualButValidExportsReadAsAScanWouldCount) {
    const TempDir dir;
    const std::string head = R"([1,2,{"progname":"x"},[{"name":"/r"},)";
    const struct {
        const char* what;
        std::string body;
        std::string expected;
    } rows[] = {
        {"escapes decoded, other bytes kept",
         R"([{"name":"a\u00e9\n\"\\"}],[{"name":")"
         "\xff\xfe"
         R"("}])",
         "\\ 0/0 L1 {a\xc3\xa9\n\"\\ 0/0, \xff\xfe 0/0}"},
        {"unknown fields and later elements skipped",
         R"({"name":"f","asize":5,"dsize":5,"x":[[{"name":"no"}]],"y":{"asize":9}}],{"z":[]},[7)",
         "\\ 5/5"},
        {"mount points not entered are empty directories, files excluded are left out",
         R"({"name":"proc","excluded":"kernfs"},{"name":"p","excluded":"pattern","asize":7},)"
         R"({"name":"f","asize":3,"dsize":3,"excluded":false},{"name":"m","excluded":"otherfs"},)"
         R"({"name":"fl","excluded":"frmlnk"},{"name":"t","excluded":true,"asize":5},)"
         R"([{"name":"d","excluded":"otherfs"}],[{"name":"e","excluded":"pattern"}])",
         "\\ 3/3 L1 {proc 0/0 o, m 0/0 o, fl 0/0, d 0/0 o, e 0/0}"},
        {"whole numbers in exponent form",
         R"({"name":"f","asize":1e18,"dsize":2.5E3,"mtime":1.6e9,"ino":1e3,"nlink":2e0},)"
         R"({"name":"g","asize":9.223372036854775808e18,"ino":1000,"nlink":2,"mtime":-1e1})",
         "\\ 1000000000000000000/2500 t1600000000"},
        {"unreadable directories marked", R"([{"name":"locked","read_error":true}])",
         "\\ 0/0 L1 {locked 0/0 u}"},
        {"hard links count once per device and inode, where met first",
         R"({"name":"a","asize":10,"dsize":10,"ino":7,"hlnkc":true},)"
         R"([{"name":"s"},{"name":"b","asize":10,"dsize":10,"ino":7,"nlink":2}],)"
         R"({"name":"c","asize":10,"dsize":10,"ino":7,"dev":9,"nlink":2},)"
         R"({"name":"d","asize":10,"dsize":10,"ino":7})",
         "\\ 30/30 L1 {s 0/0}"},
        {"on-disk size at most the size; directories' own sizes ignored",
         R"({"name":"sparse","asize":9000,"dsize":4096},{"name":"small","asize":1,"dsize":4096},)"
         R"({"name":"nodsize","asize":5},[{"name":"d","asize":4096,"dsize":4096}])",
         "\\ 9006/4097 L1 {d 0/0}"},
        {"a directory's date is the newest below it",
         R"({"name":"f","mtime":200},[{"name":"d","mtime":100},{"name":"g","mtime":300}],)"
         R"([{"name":"undated"}])",
         "\\ 0/0 L1 t300 {d 0/0 t300, undated 0/0}"},
    };
    for (const auto& row : rows) {
        const ScanFile read = ScanFileReader::Read(dir.Write("u.json", head + row.body + "]]"));
        EXPECT_EQ(Brief(*read.Root), row.expected) << row.what;
    }
}

TEST(ScanFiles, HundredThousandLevelsReadAndWriteWithoutRecursion) {
    const TempDir dir;
    constexpr int kDepth = 100'000;
    const ScanFile read = ScanFileReader::Read(Packed(
        dir.Path() + "/deep.json", Format::Plain, R"([1,2,{},[{"name":"/"})", kDepth,
        [](std::size_t) { return std::string(R"(,[{"name":"d"})"); },
        R"(,{"name":"f","asize":1,"dsize":1})" + std::string(kDepth + 2, ']')));
    ScanFileWriter::Save(dir.Path() + "/again.json.zst", *read.Root, "/", 0);
    const ScanFile again = ScanFileReader::Read(dir.Path() + "/again.json.zst");
    EXPECT_EQ(std::pair(again.Root->MaxLevel, again.Root->Size), std::pair(kDepth, 1.0));
}

// The message of a refused read, or "read".
std::string Refusal(const std::string& file, const ScanFileLimits& limits = {}) {
    try {
        ScanFileReader::Read(file, limits);
    } catch (const EScanFileError& error) {
        return error.Message();
    }
    return "read";
}

TEST(ScanFileBounds, TwoMillionDirectoriesPackedThousandsToOneOpenAgain) {
    const TempDir dir;
    const std::string file = dir.Path() + "/big.json.zst";
    {
        TFileAttr root;
        root.Name = "\\";
        for (int i = 0; i < 2000; ++i) {
            TFileAttr& top = AddChildRecord(root, "d" + std::to_string(i));
            for (int j = 0; j < 1000; ++j) {
                AddChildRecord(top, "e" + std::to_string(j));
            }
        }
        ScanFileWriter::Save(file, root, "/srv", 0);
    }
    // At least 16 bytes of text per directory: far more than a thousand times the file.
    EXPECT_LT(ReadBytes(file).size(), 2'000'000u * 16 / 1000);
    const ScanFile read = ScanFileReader::Read(file);
    ASSERT_EQ(read.Root->Children.size(), 2000u);
    EXPECT_EQ(read.Root->Children[1999]->Children.size(), 1000u);
    EXPECT_EQ(read.Root->Children[1999]->Children[999]->Name, "e999");
}

TEST(ScanFileBounds, ALongReadOfFilesAloneStopsWhenAsked) {
    const TempDir dir;
    // Files only: no directory to stop at, as in a large gzip of one listing.
    const std::string file = Packed(
        dir.Path() + "/files.json.gz", Format::Gzip, R"([1,2,{},[{"name":"/"})", 300'000,
        [](std::size_t i) { return R"(,{"name":"f)" + std::to_string(i) + R"(","asize":1})"; },
        "]]");
    int asked = 0;
    const ScanFileLimits limits{.Stopped = [&asked] { return ++asked > 3; }};
    EXPECT_EQ(Refusal(file, limits),
              "ファイル「" + file + "」を読めません: 読み込みを中断しました");
    EXPECT_EQ(asked, 4);
    EXPECT_EQ(Refusal(file), "read");
}

TEST(ScanFileBounds, DashReadsStandardInputThroughAPipe) {
    const TempDir dir;
    // Far more than a pipe holds: read in many pieces.
    const std::string file = Packed(
        dir.Path() + "/s.json", Format::Plain, R"([1,2,{},[{"name":"/srv"},[{"name":"d"})", 20'000,
        [](std::size_t i) { return R"(,{"name":"f)" + std::to_string(i) + R"(","asize":2})"; },
        "]]]");
    std::FILE* pipe = ::popen(("cat " + file).c_str(), "r");
    const int saved = ::dup(STDIN_FILENO);
    ASSERT_EQ(::dup2(::fileno(pipe), STDIN_FILENO), STDIN_FILENO);
    ScanFile read;
    EXPECT_NO_THROW(read = ScanFileReader::Read("-"));
    ::dup2(saved, STDIN_FILENO);
    ::close(saved);
    ::pclose(pipe);
    ASSERT_NE(read.Root, nullptr);
    EXPECT_EQ(read.RootName, "/srv");
    EXPECT_EQ(Brief(*read.Root), "\\ 40000/0 L1 {d 40000/0}");
}

TEST(ScanFiles, BadFilesAreRefusedWithTheirReason) {
    const TempDir dir;
    const std::string head = R"([1,2,{},[{"name":"/"},)";
    // An entry below /srv/d.
    const auto below = [&dir](const std::string& file, const std::string& entries) {
        return dir.Write(file, R"([1,2,{},[{"name":"/srv"},[{"name":"d"},)" + entries + "]]]");
    };
    const std::string packed =
        ReadBytes(Packed(dir.Path() + "/good.json.gz", Format::Gzip, kSample, 0, nullptr, ""));
    ASSERT_EQ(Shell("cd " + dir.Path() + " && mkfifo fifo && mknod null c 1 3 && mkdir folder"), 0);
    std::string files;
    for (int i = 0; i < 20; ++i) {
        files += R"({"name":"f)" + std::to_string(i) + R"("},)";
    }
    const std::string root = R"([1,2,{},[{"name":"/"})";
    const ScanFileLimits small{.MaxBytes = 16u << 20, .Stopped = {}};
    // clang-format off
    const auto directory = [](std::size_t i) { return R"(,[{"name":"d)" + std::to_string(i) + R"("}])"; };
    const auto level = [](std::size_t) { return std::string(R"(,[{"name":"a"})"); };
    const auto blank = [](std::size_t) { return std::string(1024, ' '); };
    const struct {
        std::string file;
        std::string reason;
        ScanFileLimits limits = {};
    } rows[] = {
        {dir.Path() + "/missing.json", "No such file or directory"},
        {dir.Path() + "/fifo", "通常のファイルではありません"},
        {dir.Path() + "/null", "通常のファイルではありません"},
        {dir.Path() + "/folder", "ディレクトリです"},
        {dir.Write("empty.json", ""), "ファイルが途中で終わっています"},
        {dir.Write("malformed.json", head + "}]]"), "JSON の構文が正しくありません"},
        {dir.Write("truncated.json", head + R"([{"name":"a"})"), "ファイルが途中で終わっています"},
        {dir.Write("raw-nul.json", head + R"({"name":"a)" + std::string(1, '\0') + R"(b"}]])"), "名前などの文字列に NUL バイトがあります"},
        {dir.Write("zeros.json", std::string(4096, '\0')), "NUL バイトがあります (0 バイト目)"},
        {dir.Write("cut.gz", packed.substr(0, packed.size() / 2)), "圧縮データが途中で終わっています"},
        {dir.Write("corrupt.zst", "\x28\xb5\x2f\xfd" + std::string(64, 'x')), "zstd データが壊れています"},
        {dir.Write("major.json", R"([2,0,{},[{"name":"/"}]])"), "対応していない形式の版です"},
        {dir.Write("negative.json", head + R"({"name":"f","asize":-1}]])"), "サイズが負です"},
        {dir.Write("negative-exponent.json", head + R"({"name":"f","asize":-1e3}]])"), "サイズが負です"},
        {dir.Write("fraction.json", head + R"({"name":"f","dsize":1.5}]])"), "サイズが整数ではありません"},
        {dir.Write("huge.json", head + R"({"name":"f","asize":9223372036854775809}]])"), "サイズが 2^63 を超えています"},
        {dir.Write("exponent.json", head + R"({"name":"f","asize":1e30}]])"), "サイズが 2^63 を超えています"},
        {dir.Write("text-size.json", head + R"({"name":"f","asize":"1"}]])"), "サイズが数値ではありません"},
        {dir.Write("mtime-exponent.json", head + R"({"name":"f","mtime":1e300}]])"), "mtime が範囲外です"},
        {dir.Write("mtime-unsigned.json", head + R"({"name":"f","mtime":9223372036854775808}]])"), "mtime が範囲外です"},
        {dir.Write("mtime-text.json", head + R"({"name":"f","mtime":"now"}]])"), "mtime が数値ではありません"},
        {dir.Write("dev.json", head + R"({"name":"f","dev":-1}]])"), "dev が負です"},
        {dir.Write("ino.json", head + R"({"name":"f","ino":1.5}]])"), "ino が整数ではありません"},
        {dir.Write("ino-flag.json", head + R"({"name":"f","ino":true}]])"), "ino が数値ではありません"},
        {dir.Write("nlink.json", head + R"({"name":"f","nlink":1e20}]])"), "nlink が 2^64 以上です"},
        {dir.Write("file-root.json", R"([1,2,{},{"name":"/"}])"), "ルートがディレクトリではありません"},
        {below("nul.json", R"({"name":"a\u0000b"})"), "項目「/srv/d/a\\u0000b」の名前に NUL 文字 (\\u0000) があります"},
        {below("empty-name.json", R"({"name":""})"), "項目「/srv/d/」の名前が空です"},
        {below("dot.json", R"([{"name":"."}])"), "項目「/srv/d/.」の名前が「.」か「..」です"},
        {below("dotdot.json", R"({"name":".."})"), "項目「/srv/d/..」の名前が「.」か「..」です"},
        {below("slash.json", R"([{"name":"a/b"}])"), "項目「/srv/d/a/b」の名前に「/」があります"},
        {below("root-slash.json", R"({"name":"/"})"), "項目「/srv/d//」の名前に「/」があります"},
        {below("same-dirs.json", R"([{"name":"x"}],[{"name":"x"}])"), "項目「/srv/d/x」の名前が同じディレクトリの別の項目と同じです"},
        {below("same-file-dir.json", R"({"name":"x"},[{"name":"x"},{"name":"x"}],[{"name":"x"}])"), "項目「/srv/d/x」の名前が同じディレクトリの別の項目と同じです"},
        {below("same-of-many.json", files + R"({"name":"f7"})"), "項目「/srv/d/f7」の名前が同じディレクトリの別の項目と同じです"},
        {dir.Write("nameless.json", head + R"({"asize":1}]])"), "名前のない項目があります"},
        {dir.Write("long.json", head + R"({"name":")" + std::string(65u << 20, 'a') + R"("}]])"), "名前などの文字列が長すぎるか、入れ子が深すぎます"},
        {Packed(dir.Path() + "/blanks.gz", Format::Gzip, root, 80 << 10, blank, ""), "ファイルが途中で終わっています"},
        {Packed(dir.Path() + "/directories.gz", Format::Gzip, root, 2'000'000, directory, "]]"), "読み込みに要るメモリが多すぎます (16777216 バイトまで)", small},
        {Packed(dir.Path() + "/levels.zst", Format::Zstd, root, 500'000, level, ""), "読み込みに要るメモリが多すぎます (16777216 バイトまで)", small},
        {dir.Write("deep.json", head + R"([{"name":"a"},[{"name":"b"}]],[{"name":"c"}]]])"), "階層が深すぎます (1 階層まで)", {.MaxDepth = 1, .Stopped = {}}},
    };
    // clang-format on
    for (const auto& row : rows) {
        const std::string message = Refusal(row.file, row.limits);
        EXPECT_EQ(message.rfind("ファイル「" + row.file + "」を読めません: " + row.reason, 0), 0u)
            << message;
    }
}

// The peers' own scans and reads of one tree, against ours.
TEST(ScanFiles, NcduAndGduReadOurExportAndTheirExportsGiveOurTotals) {
    if (Shell("command -v ncdu >/dev/null && command -v gdu >/dev/null") != 0) {
        GTEST_SKIP() << "ncdu or gdu not installed";
    }
    const TempDir dir;
    const std::string tree = MakeSampleTree(dir.Path());
    const std::string at = dir.Path() + "/";
    ExportScan(at + "ours.json", tree, nullptr);
    const ScanFile ours = ScanFileReader::Read(at + "ours.json");
    // Ours read and written again, their own scans, and one that leaves out by pattern the file
    // h and the directory a/b/c (written as plain entries).
    ASSERT_EQ(
        Shell("cd " + at + " && ncdu -f ours.json -o again.json 2>/dev/null && " +
              "ncdu -x -e -0 -o ncdu.json " + tree + " && gdu -n -p -o gdu.json " + tree +
              " >/dev/null && ncdu -x -e -0 --exclude h --exclude c -o excluded.json " + tree),
        0);
    EXPECT_EQ(Brief(*ScanFileReader::Read(at + "again.json").Root, false),
              Brief(*ours.Root, false));
    // gdu adds 4,096 bytes of its own for each directory it reads.
    const double dirs = 7 * 4096;
    for (const auto& [option, total] : {std::pair{"-a", ours.Root->Size + dirs},
                                        std::pair{"", ours.Root->CompressedSize + dirs}}) {
        const std::string text = std::to_string(static_cast<long long>(total));
        EXPECT_EQ(Shell(std::string("gdu -n -p -s --no-prefix ") + option + " -f " + at +
                        "ours.json | grep -q '^ *" + text + " '"),
                  0)
            << option << " " << text;
    }
    for (const std::string& theirs : {at + "ncdu.json", at + "gdu.json"}) {
        const ScanFile read = ScanFileReader::Read(theirs);
        const TFileAttr& r = *read.Root;
        EXPECT_EQ(std::tuple(r.Size, r.CompressedSize, r.MaxLevel, read.RootName),
                  std::tuple(ours.Root->Size, ours.Root->CompressedSize, 3, tree))
            << theirs;
    }
    const ScanFile read = ScanFileReader::Read(at + "excluded.json");
    EXPECT_EQ(read.Root->Size, ours.Root->Size - 70000 - 123);
    EXPECT_EQ(read.Root->MaxLevel, 2);
}

// Random mutations of valid exports (plain, gzip and zstd), cut short at any byte among them,
// either read or are refused with EScanFileError, never anything else.
TEST(ScanFiles, MutatedExportsAreReadOrRefused) {
    const TempDir dir;
    // An export with each kind of entry, and our saves of it in every format.
    std::vector<std::string> seeds{
        R"([1,2,{"progname":"ncdu"},[{"name":"/","dev":1},{"name":"f","asize":10,"dsize":4096,)"
        R"("ino":5,"hlnkc":true,"mtime":3},[{"name":"d","read_error":true},{"name":"x",)"
        R"("excluded":"pattern"}],{"name":"g\u00e9","asize":1,"nlink":2,"ino":5}]])"};
    const ScanFile read = ScanFileReader::Read(dir.Write("seed.json", seeds[0]));
    for (const char* name : {"s.json", "s.json.gz", "s.json.zst"}) {
        ScanFileWriter::Save(dir.Path() + "/" + name, *read.Root, "/srv", 1);
        seeds.push_back(ReadBytes(dir.Path() + "/" + name));
    }
    std::mt19937 random(20);
    const auto below = [&random](std::size_t n) {
        return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    // Pieces that reach the reader's own checks, not only the parser's.
    // clang-format off
    const std::vector<std::string> tokens = {"[", "]", "{", "}", ",", "\"", "\\u0000", "-1", "1e999",
                                             "9223372036854775809", "\"name\":", "\"asize\":", "\x1f\x8b"};
    // clang-format on
    for (int round = 0; round < 4000; ++round) {
        std::string bytes = seeds[below(seeds.size())];
        for (std::size_t edits = 1 + below(4); edits > 0; --edits) {
            const std::size_t at = below(bytes.size() + 1);
            const std::size_t kind = below(4);
            if (kind == 0) {
                bytes.resize(at);
            } else if (kind == 1) {
                bytes.insert(at, tokens[below(tokens.size())]);
            } else if (kind == 2) {
                bytes.erase(at, below(8));
            } else if (at < bytes.size()) {
                bytes[at] = static_cast<char>(bytes[at] ^ (1 << below(8)));
            }
        }
        try {
            ScanFileReader::Read(dir.Write("fuzz", bytes));
        } catch (const EScanFileError&) {
        } catch (const std::exception& other) {
            ADD_FAILURE() << other.what() << " at round " << round;
        }
    }
}

}  // namespace
}  // namespace zelk::test
