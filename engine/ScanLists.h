#pragma once

#include "PhaseOutcome.h"
#include "SizeClass.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quilder {

class FileSystem;

// The scan lists of one job, by class and size, kept in memory until the store must hold them.
// Most sizes of a tree are seen once, and filtering would delete their list at once: such a list
// never reaches the disk unless a stop or the memory bound asks for it. Lists are written through
// the store's folder handles only, a line never torn.
class ScanLists {
public:
    // Bytes of pending lines and of the bookkeeping per list before everything is written out.
    static constexpr std::size_t kDefaultMemoryBound = 24u << 20;
    explicit ScanLists(std::size_t memoryBound = kDefaultMemoryBound) : memoryBound_(memoryBound) {}
    ~ScanLists();
    ScanLists(const ScanLists&) = delete;
    ScanLists& operator=(const ScanLists&) = delete;

    void Add(int order, std::uint64_t size, std::string_view path);

    // Writes the lists the store holds after a complete scan: those of two lines or more. A list
    // of one line stays in memory for filtering to drop. A list written whole here is also kept
    // in memory for the comparison, which then need not read it back; such lists are written by
    // the store writer, behind the job.
    // `yield` lets the window run now and then meanwhile; when it answers false (the window is
    // closing) the lists not yet written stay in memory.
    void WriteShared(const std::function<bool()>& yield = {});
    // Writes every list of the classes from `order` on, single lines too: what a stop leaves.
    void WriteAllFrom(int order);

    // What this job knows of a list file, by its name: at least this many lines, or an exact
    // count of 1 when the list was only ever written by this job; nullopt when the job knows
    // nothing of it (a name the scanner would not give, too).
    struct Known {
        std::uint64_t lines;
        bool exact;
    };
    std::optional<Known> Lines(int order, std::string_view name) const;

    // The class has been filtered: its lists of one line are dropped unwritten, and with
    // `keepHeld` false the kept copies of its lists too.
    void DropClass(int order, bool keepHeld = false);
    // The paths of a list as written whole by WriteShared, taken out of memory; false when they
    // are not held.
    bool TakeHeld(int order, std::string_view name, std::vector<std::string>& paths);
    // The same as the file's text (lines ended by CR LF); null when not held.
    std::shared_ptr<const std::string> TakeHeldText(int order, std::string_view name);
    // The names of the lists of a class held in memory: they may not be on disk yet.
    std::vector<std::string> HeldNames(int order) const;
    // A fresh, empty store: nothing pending, nothing known.
    void Clear();

    std::optional<StoreFailure> TakeFailure();

private:
    struct List {
        std::string pending; // lines not written yet, each ended by CR LF, or the held copy
        std::uint64_t lines = 0;
        bool written = false; // some of its lines are on disk, or on their way there
        bool held = false;    // pending, or shared, is a copy of the whole file
        std::shared_ptr<const std::string> shared; // the held copy, shared with the store writer
        std::size_t Bytes() const { return pending.size() + (shared ? shared->size() : 0); }
        const std::string& Held() const { return shared ? *shared : pending; }
    };
    // Hands the class's lists of two lines or more to the store writer, each kept in memory;
    // false when a yield said the window is closing.
    bool HandToWriter(int order, const std::function<bool()>& yield);
    using Class = std::unordered_map<std::uint64_t, List>;

    void Write(int order, std::uint64_t size, List& list, bool keep = false);
    // What writing lists gave back: bytes no longer pending, and the first failure. WriteTo
    // touches only the list, so that lists of different classes can be written on different
    // threads. A negative `folder` is the error that opening the folder gave.
    struct Written {
        std::size_t freed = 0;
        int error = 0;
        int order = 0;
        std::string name;
        // Adds another's freed bytes and keeps the first failure.
        void Add(Written&& other) {
            freed += other.freed;
            if (error == 0) {
                error = other.error;
                order = other.order;
                name = std::move(other.name);
            }
        }
    };
    void Note(const Written& done);
    static Written WriteTo(int folder, FileSystem& fs, int order, std::uint64_t size, List& list,
                           bool keep);
    void Spill();

    static constexpr std::size_t kBytesPerList = 96;
    static constexpr std::size_t kListsPerYield = 32;
    static constexpr std::size_t kListsPerHandOver = 2048;

    std::array<Class, kClassCount> classes_;
    // A class whose table was emptied to stay within the bound: its counts are only lower
    // bounds, since a file of the same size may already hold lines.
    std::array<bool, kClassCount> forgotten_{};
    std::size_t memoryBound_;
    std::size_t bytes_ = 0;
    std::optional<StoreFailure> failure_;
};

// The size a scan list's name stands for, when it is a name the scanner gives (the size in
// decimal, without leading zeros).
std::optional<std::uint64_t> SizeOfListName(std::string_view name);

// The process's scan lists: created on first use, released at shut-down.
ScanLists& ScanListsService();
void ReleaseScanListsService();

} // namespace quilder
