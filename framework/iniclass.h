#pragma once
// The settings object: persistent user settings that do not belong in the tables (window
// placement, print-preview preferences, small lists), kept in one profile file per module.
#include <climits>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/decimal.h"

namespace tavlo {

// Placement of a window, free of any widget toolkit; the view code copies it to and from its
// window. An absent coordinate or size is kAbsent.
struct WindowPlacement {
    static constexpr int kAbsent = INT32_MIN;
    bool maximized = false;
    bool minimized = false;
    bool resizable = true;
    int x = kAbsent;
    int y = kAbsent;
    int width = kAbsent;
    int height = kAbsent;
};

class INIClass {
  public:
    enum StorageKind : int { PROFILE_FILE = 0, REGISTRY = 1, NO_STORAGE = 2 };
    // What Fetch answers for an entry that is not stored.
    static constexpr std::string_view kUnknown = "---Unknown---";

    // One row of the sector list: a sector name split at "$$" into family, item and the rest.
    struct Sector {
        std::string family, item, rest;
        friend bool operator==(const Sector&, const Sector&) = default;
    };

    INIClass() = default;
    INIClass(const INIClass&) = delete;
    INIClass& operator=(const INIClass&) = delete;

    // Binds the file (a relative name is taken from the current directory) and loads the sector
    // list. Only the profile file stores anything; the registry kind and NO_STORAGE read empty
    // texts and ignore writes; rootKey would choose the registry's root and is not used.
    void Init(std::string_view fileName, int storageKind = PROFILE_FILE, int rootKey = 0);
    // Writes the sector list back and discards it; the file stays bound.
    void Kill();
    std::filesystem::path fileName() const;

    std::string Fetch(std::string_view sector, std::string_view entry) const;
    std::string TryFetch(std::string_view sector, std::string_view entry) const;
    // Assign only when the entry is stored (and, for numbers, holds a number); otherwise the
    // target keeps its value. True when assigned.
    bool Fetch(std::string_view sector, std::string_view entry, std::string& target) const;
    bool Fetch(std::string_view sector, std::string_view entry, int32_t& target) const;
    bool Fetch(std::string_view sector, std::string_view entry, int64_t& target) const;
    bool Fetch(std::string_view sector, std::string_view entry, Decimal& target) const;
    // The n-th comma-separated field (from 1); the last field runs to the end of the text.
    std::string FetchField(std::string_view sector, std::string_view entry, int n) const;
    std::string TryFetchField(std::string_view sector, std::string_view entry, int n) const;

    // Writers answer false when the names are unusable or the file could not be read or written
    // (the file is then left as it was); storage kinds that keep nothing answer true.
    bool Update(std::string_view sector, std::string_view entry, std::string_view value);
    bool Update(std::string_view sector, std::string_view entry, int64_t value);
    bool Update(std::string_view sector, std::string_view entry, const Decimal& value);
    bool Remove(std::string_view sector, std::string_view entry);

    // A list under `name`: entry `name` holds the row count, entries `name`_1 … `name`_n the
    // chosen columns (0-based indexes into each row, one to four of them) joined with ",".
    // FetchQueue replaces `rows`; the last chosen column takes the rest of the stored text.
    bool FetchQueue(std::string_view sector, std::string_view name,
                    std::vector<std::vector<std::string>>& rows,
                    const std::vector<int>& columns) const;
    bool UpdateQueue(std::string_view sector, std::string_view name,
                     const std::vector<std::vector<std::string>>& rows,
                     const std::vector<int>& columns);
    // A whole list: entry "Entries" holds the row count, "ENTRY_1" … every field of a row joined
    // with ","; a field holding a comma (or starting with "[") is written between "[" and "]".
    void FetchQ(std::string_view sector, std::vector<std::vector<std::string>>& rows) const;
    bool UpdateQ(std::string_view sector, const std::vector<std::vector<std::string>>& rows);

    // Window placement in the sector named after the window's procedure. Fetch answers false,
    // changing nothing, for a sector that holds no placement.
    void Update(std::string_view sector, const WindowPlacement& window);
    bool Fetch(std::string_view sector, WindowPlacement& window) const;

    // The sector list, sorted and unique; stored by Kill in "__Dont_Touch_Me__".
    void AddSector(std::string_view name);
    void DeleteSector(std::string_view name);
    // Every row, or those of one family.
    std::vector<Sector> GetSectors(std::string_view family = {}) const;
    // The family part of a sector name: the text before the first "$$".
    static std::string GetFamily(std::string_view name);

  private:
    bool stores() const { return kind_ == PROFILE_FILE && !path_.empty(); }
    // The stored text; the caller holds the lock.
    std::optional<std::string> stored(std::string_view sector, std::string_view entry) const;

    mutable std::mutex lock_;
    std::filesystem::path path_;
    int kind_ = NO_STORAGE;
    std::vector<Sector> sectors_;
};

} // namespace tavlo
