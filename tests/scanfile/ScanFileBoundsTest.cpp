// Guards the bounds of a read: a tightly packed file of millions of directories opens, a long
// read of files alone stops when asked, and standard input is read through a real pipe.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "ScanFileTestSupport.h"
#include "scanfile/EScanFileError.h"
#include "scanfile/ScanFileReader.h"
#include "scanfile/ScanFileWriter.h"
#include "scanfile/ScanRecords.h"

namespace zelk::test {
namespace {

using Format = CompressingOutput::Format;

std::string ReasonOf(const std::string& file, const ScanFileLimits& limits) {
    try {
        ScanFileReader::Read(file, limits);
    } catch (const EScanFileError& error) {
        return error.Reason();
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
    ScanFileLimits limits;
    limits.Stopped = [&asked] { return ++asked > 3; };
    EXPECT_EQ(ReasonOf(file, limits), "読み込みを中断しました");
    EXPECT_EQ(asked, 4);
    EXPECT_EQ(ReasonOf(file, {}), "read");
}

TEST(ScanFileBounds, DashReadsStandardInputThroughAPipe) {
    const TempDir dir;
    std::string text = R"([1,2,{},[{"name":"/srv"},[{"name":"d"})";
    for (int i = 0; i < 20'000; ++i) {
        text += R"(,{"name":"f)" + std::to_string(i) + R"(","asize":2})";
    }
    // Far more than a pipe holds: read in many pieces.
    std::FILE* pipe = ::popen(("cat " + dir.Write("s.json", text + "]]]")).c_str(), "r");
    const int saved = ::dup(STDIN_FILENO);
    ASSERT_EQ(::dup2(::fileno(pipe), STDIN_FILENO), STDIN_FILENO);
    ScanFile read;
    EXPECT_NO_THROW(read = ScanFileReader::Read("-"));
    ::dup2(saved, STDIN_FILENO);
    ::close(saved);
    ::pclose(pipe);
    ASSERT_NE(read.Root, nullptr);
    EXPECT_EQ(read.RootName, "/srv");
    EXPECT_EQ(read.Root->Size, 40'000);
    EXPECT_EQ(read.Root->Children[0]->Name, "d");
}

}  // namespace
}  // namespace zelk::test
