#pragma once
// A directory listing over an open directory descriptor, opened relative to its parent's.
// The listings of one walk form a single chain from the root (ListingChain), of which only the
// deepest few levels hold a descriptor (DescriptorBudget): a level beyond that reads the rest
// of its shallowest open ancestor's entries into memory (HeldEntries) and closes it. Going back up,
// a closed parent that still has sub-directories to give is opened again through its child's "..",
// checked to be the same directory, so the walk's descriptors stay bounded at any depth. With
// read-ahead, a listing is held in memory whole and its sub-directories are listed ahead by the
// walk's ReadAhead. The walk's state lives as long as any of its listings, and a listing that
// goes first ends every listing below it: a listing never reaches into a parent that is gone,
// whatever order its owners release them in. Every call is made on the walk's thread.

#include <sys/stat.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/DescriptorBudget.h"
#include "platform/DirectoryReader.h"
#include "platform/DirectoryService.h"
#include "platform/EntryJudge.h"
#include "platform/EntryLookup.h"
#include "platform/HeldEntries.h"
#include "platform/ListingChain.h"
#include "platform/ReadAhead.h"

namespace zelk {

class PosixListing final : public DirectoryListing {
  public:
    // Sub-directories of one listing that are read ahead at most.
    static constexpr std::size_t kMostTargets = 512;

    // nullptr when the directory cannot be opened. mountPoints: every mount point the machine
    // has (absolute, decoded); those below path are never looked up. readAheadThreads: 0 for
    // none, negative for a count that adapts.
    static std::unique_ptr<PosixListing> OpenRoot(const std::string& path,
                                                  const std::vector<std::string>& mountPoints,
                                                  int readAheadThreads = 0,
                                                  ReadAhead::PauseHook pause = {});
    // nullptr when entry is not one the walk enters (EntryJudge) or cannot be opened.
    static std::unique_ptr<PosixListing> OpenChild(PosixListing& parent, const FindData& entry);

    ~PosixListing() override;
    PosixListing(const PosixListing&) = delete;
    PosixListing& operator=(const PosixListing&) = delete;

    bool Next(FindData& entry) override;
    bool Failed() const override { return failed_; }
    bool HoldsDescriptor() const { return fd_ >= 0; }

  private:
    struct Walk {
        Walk(MountFence f, std::uint64_t device) : fence(std::move(f)), judge(device) {}
        MountFence fence;
        EntryJudge judge;
        DescriptorBudget descriptors;
        ListingChain chain;
        std::unique_ptr<ReadAhead> readAhead;  // last, so that it ends first
    };

    PosixListing(PosixListing* parent, std::string name, std::shared_ptr<Walk> walk);

    // Ends every listing below this one, deepest first.
    void EndBelow();
    // Gives up the descriptor, the read-ahead and the place in the chain; returning: the walk
    // goes back up to the parent, which is opened again if it was closed.
    void End(bool returning);

    // Takes over an open descriptor (self: its look-up, when known); false when it cannot be
    // looked up. ahead: its entries as read ahead, taken when they are of the directory opened.
    bool AdoptDescriptor(int fd, const struct stat* self, ReadAhead::Result* ahead);
    // Counts among the directories the walk is in, and with read-ahead holds its entries.
    void JoinWalk();
    ListedDirectory LookupContext() const;
    // Counts an entry handed to the walk, for the read-ahead's pace.
    void Ticked();
    // Reads what remains of the listing into memory, up to limit entries.
    void ReadIntoMemory(std::size_t limit);
    void RegisterReadAhead();
    void TakeDescriptor(int fd);
    void CloseDescriptor();
    void ReadRestAndClose();
    // Opens this closed listing again from its child's descriptor (-1: none), or else from
    // above, and reads its remaining sub-directories ahead again; false when what is found is
    // no longer this directory.
    bool Reopen(int childFd);
    void ResumeReadAhead();
    // True when fd is open on this listing's directory.
    bool IsThisDirectory(int fd) const;

    friend class ListingChain;  // closes and reopens the listings of its walk

    PosixListing* parent_;  // alive while this listing is in the chain
    std::shared_ptr<Walk> walk_;
    std::size_t depth_;  // the place in the walk's chain
    std::string name_;   // the root's is the path it was opened by
    std::string path_;   // absolute, kept only while a mount point lies below (MountFence)
    int fd_ = -1;
    DirectoryReader reader_;  // of fd_, until read into memory
    struct stat self_ {};
    struct stat parentStat_ {};
    bool entered_ = false;  // counted among the directories the walk is in
    bool failed_ = false;
    bool ended_ = false;
    HeldEntries held_;
    ReadAhead::Source* source_ = nullptr;
    OpenedDirectory opened_;  // of the entry handed out last
};

}  // namespace zelk
