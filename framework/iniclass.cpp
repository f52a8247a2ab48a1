#include "framework/iniclass.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <fstream>
#include <iterator>
#include <sstream>
#include <tuple>
#include <unordered_map>

#include "framework/text.h"

namespace tavlo {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSectorSection = "__Dont_Touch_Me__";
constexpr std::string_view kSectorEntry = "Sectors";
constexpr std::size_t kSectorPartChars = 100;

// Section and entry names match without regard to case.
std::string nameKey(std::string_view utf8)
{
    return text::upper(text::trim(utf8));
}

bool usableSector(std::string_view s)
{
    return !text::trim(s).empty() && s.find_first_of("]\r\n") == std::string_view::npos;
}

bool usableEntry(std::string_view e)
{
    const std::string_view t = text::trim(e);
    return !t.empty() && t.front() != ';' && t.front() != '[' &&
           e.find_first_of("=\r\n") == std::string_view::npos;
}

// A value is one line of the file.
std::string oneLine(std::string_view value)
{
    std::string out(value);
    std::replace(out.begin(), out.end(), '\r', ' ');
    std::replace(out.begin(), out.end(), '\n', ' ');
    return out;
}

template <class T> bool parseInteger(std::string_view s, T& out)
{
    s = text::trim(s);
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    T v{};
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size())
        return false;
    out = v;
    return true;
}

// Writes beside the file and renames over it, so a crash leaves either the old or the new file.
bool writeAtomically(const fs::path& path, const std::string& bytes)
{
    static std::atomic<unsigned> serial{0};
    struct stat old {};
    const bool existed = ::stat(path.c_str(), &old) == 0;

    std::string tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tmp = path.string() + ".~" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    if (existed)
        (void)::fchmod(fd, old.st_mode & 07777);

    bool ok = true;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno != EINTR)
            ok = false;
        else if (n > 0)
            done += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(tmp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(tmp.c_str());
        return false;
    }
    const fs::path dir = path.parent_path();
    const int dirFd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        (void)::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

// A profile file kept as its raw lines in Windows-1252, so that every line this program does not
// change is written back byte for byte.
class Profile {
  public:
    // False when the file exists but cannot be read; a missing file is an empty profile.
    bool load(const fs::path& path)
    {
        std::error_code ec;
        if (!fs::exists(path, ec))
            return !ec;
        std::ifstream in(path, std::ios::binary);
        if (!in)
            return false;
        std::ostringstream buf;
        buf << in.rdbuf();
        if (in.bad() || !fs::is_regular_file(path, ec))
            return false;
        const std::string data = buf.str();
        eol_ = data.find("\r\n") != std::string::npos || data.find('\n') == std::string::npos
                   ? "\r\n"
                   : "\n";
        std::size_t start = 0;
        while (start < data.size()) {
            std::size_t end = data.find('\n', start);
            if (end == std::string::npos)
                end = data.size();
            std::string line = data.substr(start, end - start);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines_.push_back(std::move(line));
            start = end + 1;
        }
        return true;
    }

    bool save(const fs::path& path) const
    {
        std::string out;
        for (const auto& line : lines_)
            out += line + eol_;
        return writeAtomically(path, out);
    }

    bool changed() const { return changed_; }
    std::size_t lineCount() const { return lines_.size(); }

    std::optional<std::string> get(std::string_view sector, std::string_view entry) const
    {
        const auto span = section(sector);
        if (!span)
            return std::nullopt;
        const auto line = entryLine(*span, entry);
        if (!line)
            return std::nullopt;
        return entryOf(lines_[*line])->second;
    }

    // Every entry of a section by upper-cased name; of two equal names the first counts.
    std::unordered_map<std::string, std::string> entries(std::string_view sector) const
    {
        std::unordered_map<std::string, std::string> out;
        if (const auto span = section(sector))
            for (std::size_t i = span->header + 1; i < span->end; ++i)
                if (auto e = entryOf(lines_[i]))
                    out.try_emplace(nameKey(e->first), std::move(e->second));
        return out;
    }

    void set(std::string_view sector, std::string_view entry, std::string_view value)
    {
        const std::string rawValue = text::toCp1252(oneLine(value));
        const auto span = section(sector);
        if (!span) {
            lines_.push_back("[" + text::toCp1252(text::trim(sector)) + "]");
            lines_.push_back(text::toCp1252(text::trim(entry)) + "=" + rawValue);
            changed_ = true;
            return;
        }
        if (const auto line = entryLine(*span, entry)) {
            std::string& raw = lines_[*line];
            std::string updated = raw.substr(0, raw.find('=') + 1) + rawValue;
            if (updated != raw) {
                raw = std::move(updated);
                changed_ = true;
            }
            return;
        }
        // After the section's last entry, before the blank lines that part it from the next.
        std::size_t at = span->end;
        while (at > span->header + 1 && text::trim(lines_[at - 1]).empty())
            --at;
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                      text::toCp1252(text::trim(entry)) + "=" + rawValue);
        changed_ = true;
    }

    void remove(std::string_view sector, std::string_view entry)
    {
        const auto span = section(sector);
        if (!span)
            return;
        if (const auto line = entryLine(*span, entry)) {
            lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*line));
            changed_ = true;
        }
    }

  private:
    struct Span {
        std::size_t header, end; // the "[name]" line; the next section's line or the end
    };

    static std::optional<std::string> headerName(std::string_view raw)
    {
        const std::string_view t = text::trim(raw);
        if (t.empty() || t.front() != '[')
            return std::nullopt;
        const std::size_t close = t.find(']');
        const std::string_view name =
            close == std::string_view::npos ? t.substr(1) : t.substr(1, close - 1);
        return text::fromCp1252(text::trim(name));
    }

    // Name and value of an "entry=value" line; comments and other lines have none.
    static std::optional<std::pair<std::string, std::string>> entryOf(std::string_view raw)
    {
        const std::string_view t = text::trim(raw);
        if (t.empty() || t.front() == ';' || t.front() == '[')
            return std::nullopt;
        const std::size_t eq = t.find('=');
        if (eq == std::string_view::npos)
            return std::nullopt;
        return std::pair{text::fromCp1252(text::trim(t.substr(0, eq))),
                         text::fromCp1252(text::trim(t.substr(eq + 1)))};
    }

    std::optional<Span> section(std::string_view sector) const
    {
        const std::string key = nameKey(sector);
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            const auto name = headerName(lines_[i]);
            if (!name || nameKey(*name) != key)
                continue;
            std::size_t end = i + 1;
            while (end < lines_.size() && !headerName(lines_[end]))
                ++end;
            return Span{i, end};
        }
        return std::nullopt;
    }

    std::optional<std::size_t> entryLine(const Span& span, std::string_view entry) const
    {
        const std::string key = nameKey(entry);
        for (std::size_t i = span.header + 1; i < span.end; ++i)
            if (const auto e = entryOf(lines_[i]); e && nameKey(e->first) == key)
                return i;
        return std::nullopt;
    }

    std::vector<std::string> lines_;
    std::string eol_ = "\r\n";
    bool changed_ = false;
};

// Read, change and write back in one go; the file is small and another program may have written
// it since we last looked.
template <class Change> bool editProfile(const fs::path& path, Change&& change)
{
    Profile p;
    if (!p.load(path))
        return false;
    change(p);
    return !p.changed() || p.save(path);
}

// A stored row count, never more than the section could hold, so a damaged count cannot make
// us build millions of empty rows.
std::size_t storedCount(const std::unordered_map<std::string, std::string>& entries,
                        std::string_view name)
{
    const auto it = entries.find(nameKey(name));
    long long n = 0;
    if (it == entries.end() || !parseInteger(it->second, n) || n < 0)
        return 0;
    return std::min<std::size_t>(static_cast<std::size_t>(n), entries.size());
}

std::string rowName(std::string_view name, std::size_t i)
{
    return std::string(name) + "_" + std::to_string(i);
}

// Writes a list as a count and numbered rows, dropping rows left over from a longer list.
void writeRows(Profile& p, std::string_view sector, std::string_view countName,
               std::string_view rowPrefix, const std::vector<std::string>& rows)
{
    std::size_t old = 0;
    if (const auto stored = p.get(sector, countName))
        if (long long n = 0; parseInteger(*stored, n) && n > 0)
            old = std::min<std::size_t>(static_cast<std::size_t>(n), p.lineCount());
    p.set(sector, countName, std::to_string(rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i)
        p.set(sector, rowName(rowPrefix, i + 1), rows[i]);
    for (std::size_t i = rows.size() + 1; i <= old; ++i)
        p.remove(sector, rowName(rowPrefix, i));
}

std::vector<std::string> readRows(const Profile& p, std::string_view sector,
                                  std::string_view countName, std::string_view rowPrefix)
{
    const auto entries = p.entries(sector);
    std::vector<std::string> rows(storedCount(entries, countName));
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (const auto it = entries.find(nameKey(rowName(rowPrefix, i + 1))); it != entries.end())
            rows[i] = it->second;
    return rows;
}

std::string joinBracketed(const std::vector<std::string>& fields)
{
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ',';
        const std::string& f = fields[i];
        // A field starting with "[" is bracketed too, or reading would take its brackets off.
        if (f.find(',') != std::string::npos || (!f.empty() && f.front() == '['))
            out += "[" + f + "]";
        else
            out += f;
    }
    return out;
}

std::vector<std::string> splitBracketed(std::string_view t)
{
    std::vector<std::string> out;
    std::size_t i = 0;
    for (;;) {
        if (i < t.size() && t[i] == '[') {
            // A bracketed field ends at the first "]" that a comma or the end follows.
            std::size_t close = i + 1;
            while (close < t.size() &&
                   !(t[close] == ']' && (close + 1 == t.size() || t[close + 1] == ',')))
                ++close;
            if (close < t.size()) {
                out.emplace_back(t.substr(i + 1, close - i - 1));
                if (close + 1 == t.size())
                    return out;
                i = close + 2;
                continue;
            }
        }
        const std::size_t comma = t.find(',', i);
        out.emplace_back(
            t.substr(i, comma == std::string_view::npos ? std::string_view::npos : comma - i));
        if (comma == std::string_view::npos)
            return out;
        i = comma + 1;
    }
}

// The first `count` - 1 comma-separated fields, then the rest of the text.
std::vector<std::string> splitFields(std::string_view t, std::size_t count)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t k = 0; k + 1 < count; ++k) {
        const std::size_t comma = t.find(',', start);
        if (comma == std::string_view::npos)
            break;
        out.emplace_back(t.substr(start, comma - start));
        start = comma + 1;
    }
    if (start <= t.size())
        out.emplace_back(t.substr(start));
    out.resize(count);
    return out;
}

std::string field(std::string_view t, int n)
{
    if (n < 1)
        return {};
    std::size_t start = 0;
    for (int k = 1; k < n; ++k) {
        const std::size_t comma = t.find(',', start);
        if (comma == std::string_view::npos)
            return {};
        start = comma + 1;
    }
    const std::size_t comma = t.find(',', start);
    return std::string(
        t.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
}

bool validColumns(const std::vector<int>& columns)
{
    return !columns.empty() && columns.size() <= 4 &&
           std::all_of(columns.begin(), columns.end(), [](int c) { return c >= 0; });
}

INIClass::Sector splitSector(std::string_view name)
{
    INIClass::Sector s;
    const std::size_t first = name.find("$$");
    s.family = text::truncate(name.substr(0, first), kSectorPartChars);
    if (first != std::string_view::npos) {
        const std::string_view after = name.substr(first + 2);
        const std::size_t second = after.find("$$");
        s.item = text::truncate(after.substr(0, second), kSectorPartChars);
        if (second != std::string_view::npos)
            s.rest = text::truncate(after.substr(second + 2), kSectorPartChars);
    }
    return s;
}

auto sectorKey(const INIClass::Sector& s)
{
    return std::tuple{nameKey(s.family), nameKey(s.item), nameKey(s.rest)};
}

bool sectorLess(const INIClass::Sector& a, const INIClass::Sector& b)
{
    return sectorKey(a) < sectorKey(b);
}

} // namespace

void INIClass::Init(std::string_view fileName, int storageKind, int)
{
    std::lock_guard guard(lock_);
    std::error_code ec;
    path_ = fileName.empty() ? fs::path() : fs::absolute(fs::path(std::string(fileName)), ec);
    kind_ = storageKind;
    sectors_.clear();
    if (!stores())
        return;
    Profile p;
    if (!p.load(path_))
        return;
    for (const auto& row : readRows(p, kSectorSection, kSectorEntry, kSectorEntry)) {
        auto fields = splitBracketed(row);
        fields.resize(3);
        sectors_.push_back({fields[0], fields[1], fields[2]});
    }
    std::sort(sectors_.begin(), sectors_.end(), sectorLess);
    sectors_.erase(
        std::unique(sectors_.begin(), sectors_.end(),
                    [](const Sector& a, const Sector& b) { return sectorKey(a) == sectorKey(b); }),
        sectors_.end());
}

void INIClass::Kill()
{
    std::lock_guard guard(lock_);
    if (stores()) {
        std::vector<std::string> rows;
        for (const auto& s : sectors_)
            rows.push_back(joinBracketed({s.family, s.item, s.rest}));
        editProfile(path_, [&](Profile& p) {
            // A file that never had a sector list does not get an empty one.
            if (!rows.empty() || p.get(kSectorSection, kSectorEntry))
                writeRows(p, kSectorSection, kSectorEntry, kSectorEntry, rows);
        });
    }
    sectors_.clear();
}

fs::path INIClass::fileName() const
{
    std::lock_guard guard(lock_);
    return path_;
}

std::optional<std::string> INIClass::stored(std::string_view sector, std::string_view entry) const
{
    Profile p;
    if (!stores() || !p.load(path_))
        return std::nullopt;
    return p.get(sector, entry);
}

std::string INIClass::Fetch(std::string_view sector, std::string_view entry) const
{
    std::lock_guard guard(lock_);
    if (!stores())
        return {};
    return stored(sector, entry).value_or(std::string(kUnknown));
}

std::string INIClass::TryFetch(std::string_view sector, std::string_view entry) const
{
    std::lock_guard guard(lock_);
    return stored(sector, entry).value_or(std::string());
}

bool INIClass::Fetch(std::string_view sector, std::string_view entry, std::string& target) const
{
    std::lock_guard guard(lock_);
    auto v = stored(sector, entry);
    if (v)
        target = std::move(*v);
    return v.has_value();
}

bool INIClass::Fetch(std::string_view sector, std::string_view entry, int32_t& target) const
{
    std::lock_guard guard(lock_);
    const auto v = stored(sector, entry);
    return v && parseInteger(*v, target);
}

bool INIClass::Fetch(std::string_view sector, std::string_view entry, int64_t& target) const
{
    std::lock_guard guard(lock_);
    const auto v = stored(sector, entry);
    return v && parseInteger(*v, target);
}

bool INIClass::Fetch(std::string_view sector, std::string_view entry, Decimal& target) const
{
    std::lock_guard guard(lock_);
    const auto v = stored(sector, entry);
    if (!v)
        return false;
    const auto d = Decimal::parse(*v);
    if (d)
        target = *d;
    return d.has_value();
}

std::string INIClass::FetchField(std::string_view sector, std::string_view entry, int n) const
{
    return field(Fetch(sector, entry), n);
}

std::string INIClass::TryFetchField(std::string_view sector, std::string_view entry, int n) const
{
    return field(TryFetch(sector, entry), n);
}

bool INIClass::Update(std::string_view sector, std::string_view entry, std::string_view value)
{
    if (!usableSector(sector) || !usableEntry(entry))
        return false;
    std::lock_guard guard(lock_);
    if (!stores())
        return true;
    return editProfile(path_, [&](Profile& p) { p.set(sector, entry, value); });
}

bool INIClass::Update(std::string_view sector, std::string_view entry, int64_t value)
{
    return Update(sector, entry, std::string_view(std::to_string(value)));
}

bool INIClass::Update(std::string_view sector, std::string_view entry, const Decimal& value)
{
    return Update(sector, entry, std::string_view(value.toString()));
}

bool INIClass::Remove(std::string_view sector, std::string_view entry)
{
    if (!usableSector(sector) || !usableEntry(entry))
        return false;
    std::lock_guard guard(lock_);
    if (!stores())
        return true;
    return editProfile(path_, [&](Profile& p) { p.remove(sector, entry); });
}

bool INIClass::FetchQueue(std::string_view sector, std::string_view name,
                          std::vector<std::vector<std::string>>& rows,
                          const std::vector<int>& columns) const
{
    if (!validColumns(columns))
        return false;
    rows.clear();
    std::lock_guard guard(lock_);
    Profile p;
    if (!stores() || !p.load(path_))
        return true;
    const std::size_t width =
        static_cast<std::size_t>(*std::max_element(columns.begin(), columns.end()) + 1);
    for (const auto& text : readRows(p, sector, name, name)) {
        const auto fields = splitFields(text, columns.size());
        std::vector<std::string> row(width);
        for (std::size_t k = 0; k < columns.size(); ++k)
            row[static_cast<std::size_t>(columns[k])] = fields[k];
        rows.push_back(std::move(row));
    }
    return true;
}

bool INIClass::UpdateQueue(std::string_view sector, std::string_view name,
                           const std::vector<std::vector<std::string>>& rows,
                           const std::vector<int>& columns)
{
    if (!validColumns(columns) || !usableSector(sector) || !usableEntry(name))
        return false;
    std::vector<std::string> texts;
    for (const auto& row : rows) {
        std::string t;
        for (std::size_t k = 0; k < columns.size(); ++k) {
            if (k > 0)
                t += ',';
            const auto c = static_cast<std::size_t>(columns[k]);
            if (c < row.size())
                t += row[c];
        }
        texts.push_back(std::move(t));
    }
    std::lock_guard guard(lock_);
    if (!stores())
        return true;
    return editProfile(path_, [&](Profile& p) { writeRows(p, sector, name, name, texts); });
}

void INIClass::FetchQ(std::string_view sector, std::vector<std::vector<std::string>>& rows) const
{
    rows.clear();
    std::lock_guard guard(lock_);
    Profile p;
    if (!stores() || !p.load(path_))
        return;
    for (const auto& text : readRows(p, sector, "Entries", "ENTRY"))
        rows.push_back(splitBracketed(text));
}

bool INIClass::UpdateQ(std::string_view sector, const std::vector<std::vector<std::string>>& rows)
{
    if (!usableSector(sector))
        return false;
    std::vector<std::string> texts;
    std::transform(rows.begin(), rows.end(), std::back_inserter(texts), joinBracketed);
    std::lock_guard guard(lock_);
    if (!stores())
        return true;
    return editProfile(path_, [&](Profile& p) { writeRows(p, sector, "Entries", "ENTRY", texts); });
}

void INIClass::Update(std::string_view sector, const WindowPlacement& w)
{
    if (!usableSector(sector))
        return;
    std::lock_guard guard(lock_);
    if (!stores())
        return;
    const bool normal = !w.maximized && !w.minimized;
    const bool sized = normal && w.resizable;
    editProfile(path_, [&](Profile& p) {
        const auto put = [&](std::string_view entry, bool wanted, int value) {
            if (wanted && value != WindowPlacement::kAbsent)
                p.set(sector, entry, std::to_string(value));
            else
                p.remove(sector, entry);
        };
        p.set(sector, "Maximize", w.maximized ? "Yes" : "No");
        p.set(sector, "Minimize", w.minimized ? "Yes" : "No");
        put("XPos", normal, w.x);
        put("YPos", normal, w.y);
        put("Width", sized, w.width);
        put("Height", sized, w.height);
    });
}

bool INIClass::Fetch(std::string_view sector, WindowPlacement& w) const
{
    std::lock_guard guard(lock_);
    Profile p;
    if (!stores() || !p.load(path_))
        return false;
    const auto entries = p.entries(sector);
    const auto value = [&](std::string_view entry) -> std::optional<std::string> {
        const auto it = entries.find(nameKey(entry));
        return it == entries.end() ? std::nullopt : std::optional(it->second);
    };
    const auto maximize = value("Maximize");
    if (!maximize || (*maximize != "Yes" && *maximize != "No"))
        return false;
    w.maximized = *maximize == "Yes";
    w.minimized = value("Minimize") == "Yes";
    const auto apply = [&](std::string_view entry, int& target) {
        if (const auto v = value(entry))
            parseInteger(*v, target);
    };
    apply("XPos", w.x);
    apply("YPos", w.y);
    if (w.resizable) {
        apply("Width", w.width);
        apply("Height", w.height);
    }
    return true;
}

void INIClass::AddSector(std::string_view name)
{
    Sector s = splitSector(name);
    std::lock_guard guard(lock_);
    const auto at = std::lower_bound(sectors_.begin(), sectors_.end(), s, sectorLess);
    if (at == sectors_.end() || sectorKey(*at) != sectorKey(s))
        sectors_.insert(at, std::move(s));
}

void INIClass::DeleteSector(std::string_view name)
{
    const Sector s = splitSector(name);
    std::lock_guard guard(lock_);
    const auto at = std::lower_bound(sectors_.begin(), sectors_.end(), s, sectorLess);
    if (at != sectors_.end() && sectorKey(*at) == sectorKey(s))
        sectors_.erase(at);
}

std::vector<INIClass::Sector> INIClass::GetSectors(std::string_view family) const
{
    std::lock_guard guard(lock_);
    if (family.empty())
        return sectors_;
    std::vector<Sector> out;
    const std::string key = nameKey(family);
    std::copy_if(sectors_.begin(), sectors_.end(), std::back_inserter(out),
                 [&](const Sector& s) { return nameKey(s.family) == key; });
    return out;
}

std::string INIClass::GetFamily(std::string_view name)
{
    return std::string(name.substr(0, name.find("$$")));
}

} // namespace tavlo
