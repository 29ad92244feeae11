// Guards scan files: a save reads back as the same records in every format, unusual but valid
// exports read as a scan would have counted them, any depth reads and writes without
// recursion, the reader's bounds, and the exports of ncdu and gdu against our own scan.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "ScanFileTestSupport.h"
#include "scanfile/EScanFileError.h"
#include "scanfile/ScanExport.h"
#include "scanfile/ScanFileReader.h"
#include "scanfile/ScanFileWriter.h"
#include "scanfile/ScanRecords.h"

namespace zelk {
namespace {

using test::ReadBytes;
using test::Shell;
using test::TempDir;

// A record and its subtree as "name size/compressed [L<deepest>] [t<seconds>] [u] {children}".
std::string Brief(const TFileAttr& r, bool withDates = true) {
    std::string out = r.Name.Str() + " " + std::to_string(static_cast<long long>(r.Size)) + "/" +
                      std::to_string(static_cast<long long>(r.CompressedSize));
    out += r.MaxLevel > r.Level ? " L" + std::to_string(r.MaxLevel) : "";
    std::int64_t seconds = 0;
    if (withDates && SecondsOfDate(r.LastWrite, seconds)) {
        out += " t" + std::to_string(seconds);
    }
    out += r.Unreadable ? " u" : "";
    for (std::size_t i = 0; i < r.Children.size(); ++i) {
        out += (i == 0 ? " {" : ", ") + Brief(*r.Children[i], withDates);
    }
    return out + (r.Children.empty() ? "" : "}");
}

// Odd name bytes, dates, an unreadable and an empty directory, files folded into their totals.
const std::string kSample =
    R"([1,2,{},[{"name":"/srv/data","mtime":5},{"name":"f","asize":123,"dsize":104},)"
    R"([{"name":"a)"
    "\xff"
    R"(\"\\\n\u0001 \u3042","mtime":1600000000},{"name":"g","asize":5000,)"
    R"("dsize":3096},[{"name":"b","mtime":1500000000},{"name":"h","asize":1000,"dsize":2000}]],)"
    R"([{"name":"locked","read_error":true}],[{"name":"empty"}]]])";

TEST(ScanFiles, SaveReadsBackAsTheSameRecordsPlainGzipAndZstd) {
    const TempDir dir;
    const ScanFile sample = ScanFileReader::Read(dir.Write("sample.json", kSample));
    const TFileAttr* tree = sample.Root.get();
    const struct {
        const char* name;
        std::string magic;
    } rows[] = {{"s.json", "[1,2,"}, {"s.json.gz", "\x1f\x8b"}, {"s.json.zst", "\x28\xb5\x2f\xfd"}};
    for (const auto& row : rows) {
        const std::string file = dir.Path() + "/" + row.name;
        ScanFileWriter::Save(file, *tree, "/srv/data", 1'700'000'000);
        EXPECT_EQ(ReadBytes(file).substr(0, row.magic.size()), row.magic) << row.name;
        const ScanFile read = ScanFileReader::Read(file);
        EXPECT_EQ(Brief(*read.Root), Brief(*tree)) << row.name;
        EXPECT_EQ(read.RootName, "/srv/data");
    }
    // Nothing is left beside the saved files.
    EXPECT_EQ(Shell("test $(ls -A " + dir.Path() + " | wc -l) -eq 4"), 0);
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
        {"excluded entries are empty directories",
         R"({"name":"proc","excluded":"otherfs"},{"name":"p","excluded":"pattern","asize":7},)"
         R"({"name":"f","asize":3,"dsize":3,"excluded":false})",
         "\\ 3/3 L1 {proc 0/0, p 0/0}"},
        {"unreadable directories marked", R"([{"name":"locked","read_error":true}])",
         "\\ 0/0 L1 {locked 0/0 u}"},
        {"hard links count once per device and inode",
         R"({"name":"a","asize":10,"dsize":10,"ino":7,"hlnkc":true},)"
         R"({"name":"b","asize":10,"dsize":10,"ino":7,"nlink":2},)"
         R"({"name":"c","asize":10,"dsize":10,"ino":7,"dev":9,"nlink":2},)"
         R"({"name":"d","asize":10,"dsize":10,"ino":7})",
         "\\ 30/30"},
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
        const std::string file = dir.Write("u.json", head + row.body + "]]");
        ScanFile read;
        ASSERT_NO_THROW(read = ScanFileReader::Read(file)) << row.what;
        EXPECT_EQ(Brief(*read.Root), row.expected) << row.what;
        EXPECT_EQ(read.RootName, "/r");
    }
}

TEST(ScanFiles, HundredThousandLevelsReadAndWriteWithoutRecursion) {
    const TempDir dir;
    constexpr int kDepth = 100'000;
    std::string text = R"([1,2,{},[{"name":"/"})";
    for (int i = 0; i < kDepth; ++i) {
        text += R"(,[{"name":"d"})";
    }
    text += R"(,{"name":"f","asize":1,"dsize":1})" + std::string(kDepth + 2, ']');
    const ScanFile read = ScanFileReader::Read(dir.Write("deep.json", text));
    EXPECT_EQ(read.Root->MaxLevel, kDepth);
    EXPECT_EQ(read.Root->Size, 1);
    ScanFileWriter::Save(dir.Path() + "/again.json.zst", *read.Root, "/", 0);
    const ScanFile again = ScanFileReader::Read(dir.Path() + "/again.json.zst");
    EXPECT_EQ(again.Root->MaxLevel, kDepth);
    EXPECT_EQ(again.Root->Size, 1);
}

TEST(ScanFiles, DirectoryAndDepthBoundsRefuseTheFileWithTheReason) {
    const TempDir dir;
    const std::string file = dir.Write(
        "b.json", R"([1,2,{},[{"name":"/"},[{"name":"a"},[{"name":"b"}]],[{"name":"c"}]]])");
    ScanFileLimits few;
    few.MaxDirectories = 3;
    ScanFileLimits shallow;
    shallow.MaxDepth = 1;
    const struct {
        ScanFileLimits limits;
        std::string reason;
    } rows[] = {{few, "ディレクトリが多すぎます (3 個まで)"},
                {shallow, "階層が深すぎます (1 階層まで)"}};
    for (const auto& row : rows) {
        try {
            ScanFileReader::Read(file, row.limits);
            ADD_FAILURE() << row.reason;
        } catch (const EScanFileError& error) {
            EXPECT_EQ(error.Reason().substr(0, row.reason.size()), row.reason);
            EXPECT_NE(error.Message().find(file), std::string::npos);
        }
    }
}

// The peers' own scans and reads of one tree, against ours.
class PeerExports : public ::testing::Test {
  protected:
    void SetUp() override {
        if (Shell("command -v ncdu >/dev/null && command -v gdu >/dev/null") != 0) {
            GTEST_SKIP() << "ncdu or gdu not installed";
        }
        tree_ = test::MakeSampleTree(dir_.Path());
        ExportScan(ours_, tree_, nullptr);
    }

    const TempDir dir_;
    std::string tree_;
    const std::string ours_ = dir_.Path() + "/ours.json";
};

TEST_F(PeerExports, NcduAndGduReadOurExportAndTheirExportsGiveOurTotals) {
    const ScanFile ours = ScanFileReader::Read(ours_);
    const std::string again = dir_.Path() + "/again.json";
    ASSERT_EQ(Shell("ncdu -f " + ours_ + " -o " + again + " 2>/dev/null"), 0);
    EXPECT_EQ(Brief(*ScanFileReader::Read(again).Root, false), Brief(*ours.Root, false));
    // gdu adds 4,096 bytes of its own for each directory it reads.
    const double dirs = 7 * 4096;
    for (const auto& [option, total] : {std::pair{"-a", ours.Root->Size + dirs},
                                        std::pair{"", ours.Root->CompressedSize + dirs}}) {
        const std::string text = std::to_string(static_cast<long long>(total));
        EXPECT_EQ(Shell(std::string("gdu -n -p -s --no-prefix ") + option + " -f " + ours_ +
                        " | grep -q '^ *" + text + " '"),
                  0)
            << option << " " << text;
    }

    const std::string ncdu = dir_.Path() + "/ncdu.json";
    const std::string gdu = dir_.Path() + "/gdu.json";
    ASSERT_EQ(Shell("ncdu -x -e -0 -o " + ncdu + " " + tree_), 0);
    ASSERT_EQ(Shell("gdu -n -p -o " + gdu + " " + tree_ + " >/dev/null"), 0);
    for (const std::string& theirs : {ncdu, gdu}) {
        const ScanFile read = ScanFileReader::Read(theirs);
        EXPECT_EQ(read.Root->Size, ours.Root->Size) << theirs;
        EXPECT_EQ(read.Root->CompressedSize, ours.Root->CompressedSize) << theirs;
        EXPECT_EQ(read.Root->MaxLevel, 3) << theirs;
        EXPECT_EQ(read.RootName, tree_);
    }
}

}  // namespace
}  // namespace zelk
