// The history store on real files: what recording, holding, cutting and
// clearing do when another program holds a file, when a file is read-only
// or a folder stands in its place.
#include "history/history_store.h"

#include "common/auto_handle.h"
#include "history/history_turn.h"
#include "testing/test_support.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

enum class Fault { None, HeldForAMoment, HeldForLong, ReadOnly, Folder, ReadByAWriter };

// Puts the fault in the file's place; a hold ends after 300 ms or 3 s.
class Faulty {
  public:
    Faulty(const std::string& path, const std::string& bytes, Fault fault) : path_(path) {
        if (fault == Fault::Folder) {
            EXPECT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
            return;
        }
        EXPECT_TRUE(WriteFileBytes(path, bytes));
        if (fault == Fault::ReadOnly) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
        if (fault == Fault::HeldForAMoment || fault == Fault::HeldForLong ||
            fault == Fault::ReadByAWriter) {
            // A reader that lets others only write: creating the file anew
            // asks for read access and fails, truncating it does not.
            const DWORD sharing =
                fault == Fault::ReadByAWriter ? FILE_SHARE_WRITE : FILE_SHARE_READ;
            held_.Reset(CreateFileA(path.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
            EXPECT_TRUE(held_.IsValid());
        }
        if (fault != Fault::ReadByAWriter && held_.IsValid())
            release_ = std::thread([this, fault] {
                Sleep(fault == Fault::HeldForAMoment ? 300 : 3000);
                held_.Close();
            });
    }
    ~Faulty() {
        if (release_.joinable()) release_.join();
        held_.Close();
        SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    }

  private:
    std::string path_;
    AutoCloseHandle held_;
    std::thread release_;
};

const std::string Entry = "a.pb|7x2\r\n", Forward = "x.pb|1x1\r\n";

TEST(HistoryStore, RecordsAndSaysWhatItCouldNotDo) {
    using E = Recorded::Entry;
    const struct {
        const char* Name;
        std::string Back;
        Fault BackFault = Fault::None, ForwardFault = Fault::None;
        OpenPolicy Policy = OpenPolicy::Wait;
        E Outcome = E::Written;
        bool ForwardKept = false;
        std::string BackAfter = "";
        bool UnlessNewest = false;
        HistoryEntry Recording = {"a.pb", "7x2"};
    } cases[] = {
        {"no files yet", "", Fault::None, Fault::None},
        {"a torn last line", "b.pb|1\r\nc.pb|2", Fault::None, Fault::None, OpenPolicy::Wait,
         E::Written, false, "b.pb|1\r\nc.pb|2\r\n" + Entry},
        {"NUL bytes a crash left", std::string("b|1\r\n\0\0", 7), Fault::None, Fault::None,
         OpenPolicy::Wait, E::Written, false, std::string("b|1\r\n\0\0\r\n", 9) + Entry},
        {"the same position twice", Entry, Fault::None, Fault::None, OpenPolicy::Wait, E::Written,
         false, Entry + Entry},
        {"the same line unless newest", "a.pb|7x9\r\n", Fault::None, Fault::None,
         OpenPolicy::NoWait, E::AlreadyNewest, true, "a.pb|7x9\r\n", true},
        {"back held for a moment, waited", "", Fault::HeldForAMoment},
        {"back held for a moment, not waited", "", Fault::HeldForAMoment, Fault::None,
         OpenPolicy::NoWait, E::Busy, true, ""},
        {"back held for long", "", Fault::HeldForLong, Fault::None, OpenPolicy::Wait, E::NotWritten,
         true, ""},
        {"back read-only", "", Fault::ReadOnly, Fault::None, OpenPolicy::NoWait, E::NotWritten,
         true, ""},
        {"back a folder", "", Fault::Folder, Fault::None, OpenPolicy::Wait, E::NotWritten, true},
        {"forward held for a moment", "", Fault::None, Fault::HeldForAMoment},
        {"forward read by a writer", "", Fault::None, Fault::ReadByAWriter},
        {"forward held for long", "", Fault::None, Fault::HeldForLong, OpenPolicy::Wait, E::Written,
         true},
        {"forward read-only", "", Fault::None, Fault::ReadOnly, OpenPolicy::NoWait, E::Written,
         true},
        {"forward a folder", "", Fault::None, Fault::Folder, OpenPolicy::Wait, E::Written, true},
        {"a line end in the name",
         "",
         Fault::None,
         Fault::None,
         OpenPolicy::Wait,
         E::NotStorable,
         true,
         "",
         false,
         {"a.pb\r\nz.pb", "7x2"}},
        {"a bar in the name",
         "",
         Fault::None,
         Fault::None,
         OpenPolicy::Wait,
         E::NotStorable,
         true,
         "",
         false,
         {"a|b.pb", "7x2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TempDir dir;
        const HistoryStore store(dir.Path());
        const bool written = c.Outcome == E::Written;
        {
            Faulty back(store.PathOf(HistorySide::Back), c.Back, c.BackFault);
            Faulty forward(store.PathOf(HistorySide::Forward), Forward, c.ForwardFault);
            const Recorded recorded = store.Record(c.Recording, c.Policy, c.UnlessNewest);
            EXPECT_EQ(recorded.Outcome, c.Outcome);
            EXPECT_EQ(recorded.ForwardKept, written && c.ForwardKept);
        }
        const std::string backAfter =
            !c.BackAfter.empty() ? c.BackAfter : written ? Entry : c.Back;
        if (c.BackFault != Fault::Folder) {
            EXPECT_EQ(ReadFileBytes(store.PathOf(HistorySide::Back)), backAfter);
        }
        if (c.ForwardFault != Fault::Folder) {
            EXPECT_EQ(ReadFileBytes(store.PathOf(HistorySide::Forward)),
                      written && !c.ForwardKept ? "" : Forward);
        }
    }
}

// A step holds both files: nobody else writes them meanwhile; a file not
// there is an empty history, made only by an append.
TEST(HistoryStore, HoldsBothFilesForAStep) {
    const struct {
        const char* Name;
        Fault BackFault, ForwardFault;
        bool Held;
    } cases[] = {
        {"both there", Fault::None, Fault::None, true},
        {"back held for a moment", Fault::HeldForAMoment, Fault::None, true},
        {"forward held for long", Fault::None, Fault::HeldForLong, false},
        {"back read-only", Fault::ReadOnly, Fault::None, false},
        {"forward a folder", Fault::None, Fault::Folder, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TempDir dir;
        const HistoryStore store(dir.Path());
        Faulty back(store.PathOf(HistorySide::Back), "a|1\r\nb|2\r\n", c.BackFault);
        Faulty forward(store.PathOf(HistorySide::Forward), "", c.ForwardFault);
        HeldHistory held;
        EXPECT_EQ(store.Hold(&held), c.Held);
    }
    TempDir dir;
    const HistoryStore store(dir.Path());
    ASSERT_TRUE(WriteFileBytes(store.PathOf(HistorySide::Back), "a|1\r\nb|2\r\n"));
    HeldHistory held;
    ASSERT_TRUE(store.Hold(&held));
    EXPECT_FALSE(held.Has(HistorySide::Forward));
    EXPECT_EQ(held.Size(HistorySide::Back), 10u);
    // Another program is kept from writing while the step holds the files.
    EXPECT_EQ(store.Record({"c.pb", "1x1"}, OpenPolicy::NoWait).Outcome, Recorded::Entry::Busy);
    ASSERT_TRUE(held.Append(HistorySide::Forward, "c|3\r\n"));
    ASSERT_TRUE(held.Cut(HistorySide::Back, 5));
    std::string line;
    uint64_t start = 0;
    ReverseLineReader reader = held.FromEnd(HistorySide::Back);
    ASSERT_TRUE(reader.Previous(&line, &start));
    EXPECT_EQ(line, "a|1");
    held = HeldHistory();
    EXPECT_EQ(ReadFileBytes(store.PathOf(HistorySide::Back)), "a|1\r\n");
    EXPECT_EQ(ReadFileBytes(store.PathOf(HistorySide::Forward)), "c|3\r\n");
}

// What is read is known again by its digest, until the file changes.
TEST(HistoryStore, ReadsAndClears) {
    TempDir dir;
    const HistoryStore store(dir.Path());
    EXPECT_FALSE(store.Read(HistorySide::Back).IsOpen());
    ASSERT_TRUE(WriteFileBytes(store.PathOf(HistorySide::Back), "a|1\r\nb|2\r\n"));
    uint64_t before = 0, after = 0, same = 0;
    ASSERT_TRUE(store.Read(HistorySide::Back).Digest(5, &before));
    ASSERT_TRUE(store.Read(HistorySide::Back).Digest(5, &same));
    ASSERT_TRUE(WriteFileBytes(store.PathOf(HistorySide::Back), "a|1\r\nb|3\r\n"));
    ASSERT_TRUE(store.Read(HistorySide::Back).Digest(5, &after));
    EXPECT_EQ(before, same);
    EXPECT_NE(before, after);
    EXPECT_TRUE(store.Clear(HistorySide::Back));
    EXPECT_EQ(ReadFileBytes(store.PathOf(HistorySide::Back)), "");
    Faulty readOnly(store.PathOf(HistorySide::Forward), "x|1\r\n", Fault::ReadOnly);
    EXPECT_FALSE(store.Clear(HistorySide::Forward));
    // Every tool in a folder takes one turn, whichever way it names the folder.
    EXPECT_EQ(HistoryStore(dir.Path()).TurnName(),
              HistoryStore(dir.Path().substr(0, dir.Path().size() - 1)).TurnName());
    EXPECT_NE(HistoryStore(dir.Path()).TurnName(), HistoryStore().TurnName());
}

} // namespace
