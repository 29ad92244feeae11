// Guards the rules every source of records shares (the scan-file reader's table counts hard links
// through them): a directory not read keeps what was read of it, a stop leaves the open levels
// without totals but still dates their ancestors, an unknown date never wins over a known one
// (of any year), and the read's budget bounds records and hard links but not files.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "ScanTestSupport.h"
#include "scan/DateCache.h"
#include "scan/EBudgetSpent.h"
#include "scan/RecordSink.h"

namespace zelk::test {
namespace {

using File = RecordSink::File;

constexpr std::int64_t k2020 = 1'600'000'000;
constexpr std::int64_t k1890 = -2'500'000'000;

File Plain(double size, double onDisk) {
    return File{size, onDisk, 0, 0, false, std::nullopt};
}

File Linked(std::uint64_t device, std::uint64_t inode, double size) {
    return File{size, size, device, inode, true, k2020};
}

// Opens a directory below the innermost one, feeds it and closes it.
void Directory(RecordSink& sink, const char* name, std::optional<std::int64_t> written,
               const std::function<void()>& feed) {
    const TFileAttr& dir = sink.OpenDirectory(name, written);
    feed();
    sink.CloseDirectory(dir);
}

TEST(RecordSinkRules, EachReadingGivesItsRecords) {
    const struct {
        const char* what;
        std::function<void(RecordSink&)> feed;  // between opening and closing the root
        std::string brief;
        std::int64_t rootWritten = 0;  // the root's date, 0 for none
        bool close = true;
    } rows[] = {
        {"a directory not read keeps what was read of it",
         [](RecordSink& s) {
             Directory(s, "half", {}, [&] {
                 s.AddFile(Plain(5, 5));
                 s.MarkUnread(RecordSink::Unread::Failed);
             });
         },
         "\\ 5/5 L1 undated {half 5/5 u undated}"},
        {"an unknown date never replaces a known one, before 1900 too",
         [](RecordSink& s) { Directory(s, "old", k1890, [&] { s.AddFile(Plain(1, 1)); }); },
         "\\ 1/1 L1 {old 1/1}", k1890},
        {"a stop leaves the open levels without totals, their dates reaching the top",
         [](RecordSink& s) {
             s.OpenDirectory("a", {});
             s.AddFile(Plain(5, 5));
             Directory(s, "done", {}, [&] { s.AddFile(Plain(2, 2)); });
             s.OpenDirectory("b", {});
             s.AddFile({7, 7, 0, 0, false, k2020});
             s.Abandon();
         },
         "\\ 0/0 ? {a 0/0 ? {b 0/0 ?, done 2/2 undated}}", k2020, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ReadBudget budget = ReadBudget::Unbounded();
        RecordSink sink(budget);
        TFileAttr root;
        root.Name = "\\";
        sink.OpenTop(root);
        row.feed(sink);
        if (row.close) {
            sink.CloseDirectory(root);
        }
        EXPECT_EQ(Brief(root), row.brief);
        EXPECT_EQ(root.LastWrite, row.rootWritten == 0 ? 0 : DateCache::Convert(row.rootWritten));
    }
}

TEST(RecordSinkBudget, RecordsAndTheHardLinkSetDrawOnItFilesDoNot) {
    const std::string spent = "読み込みに要るメモリが多すぎます (10000 バイトまで)";
    const struct {
        const char* what;
        std::function<void(RecordSink&)> feed;
        std::string refusal;  // "" when it fits
    } rows[] = {
        {"a hundred directories",
         [](RecordSink& s) {
             for (int i = 0; i < 100; ++i) {
                 Directory(s, "d", {}, [] {});
             }
         },
         spent},
        {"the hard-link set", [](RecordSink& s) { s.AddFile(Linked(1, 1, 1)); }, spent},
        {"a million files",
         [](RecordSink& s) {
             for (int i = 0; i < 1'000'000; ++i) {
                 s.AddFile(Plain(1, 1));
             }
         },
         ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ReadBudget budget(10'000);
        RecordSink sink(budget);
        TFileAttr root;
        std::string refusal;
        try {
            sink.OpenTop(root);
            row.feed(sink);
        } catch (const EBudgetSpent& error) {
            refusal = error.Message();
        }
        EXPECT_EQ(refusal, row.refusal);
    }
}

}  // namespace
}  // namespace zelk::test
