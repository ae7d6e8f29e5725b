#include "app/tool_pack.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <limits>
#include <stdexcept>
#include <system_error>

#include "base/file_error.h"
#include "base/file_io.h"
#include "base/paths.h"
#include "base/terminal_text.h"
#include "check/check.h"
#include "check/files.h"
#include "check/report.h"

namespace fs = std::filesystem;

namespace velmora::tool {
namespace {

// The page opens zips up to this size; a bigger project is no game for it.
constexpr uint64_t kMaxProjectBytes = 256ull * 1024 * 1024;
// MS-DOS date of 1980-01-01, time 00:00: the earliest a zip can say.
constexpr uint16_t kDosDate = (0 << 9) | (1 << 5) | 1;
constexpr uint16_t kDosTime = 0;

void Le16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void Le32(std::string& out, uint32_t v) {
    Le16(out, v & 0xFFFF);
    Le16(out, v >> 16);
}

std::string Deflate(const std::string& bytes) {
    z_stream z{};
    // Raw deflate (no zlib header), as a zip entry holds it.
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY) != Z_OK) {
        throw std::runtime_error("zlib: deflateInit2 failed");
    }
    std::string out(deflateBound(&z, static_cast<uLong>(bytes.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z.avail_in = static_cast<uInt>(bytes.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&z, Z_FINISH);
    const size_t written = z.total_out;
    deflateEnd(&z);
    if (rc != Z_STREAM_END) throw std::runtime_error("zlib: deflate did not finish");
    out.resize(written);
    return out;
}

bool IsUtf8(const std::string& s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        const size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
        i += n;
    }
    return true;
}

}  // namespace

std::string WriteZip(const std::vector<ZipEntry>& entries) {
    constexpr uint64_t kMax32 = std::numeric_limits<uint32_t>::max();
    if (entries.size() >= 0xFFFF) throw std::length_error("more files than a zip holds");
    std::string out;
    std::string central;
    for (const ZipEntry& e : entries) {
        if (e.name.size() > 0xFFFF) throw std::length_error("a file name longer than a zip holds");
        if (e.bytes.size() >= kMax32) throw std::length_error("a file larger than a zip holds");
        const uint32_t crc = static_cast<uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(e.bytes.data()), static_cast<uInt>(e.bytes.size())));
        std::string packed = Deflate(e.bytes);
        const bool stored = packed.size() >= e.bytes.size();
        const std::string& data = stored ? e.bytes : packed;
        const uint16_t method = stored ? 0 : 8;
        // Bit 11: the name is UTF-8 (else the reader takes code page 437/866).
        const uint16_t flags = IsUtf8(e.name) ? 0x0800 : 0;
        if (out.size() >= kMax32) throw std::length_error("a zip larger than 4 GB");
        const auto offset = static_cast<uint32_t>(out.size());
        auto common = [&](std::string& h) {
            Le16(h, 20);  // version needed: 2.0 (deflate)
            Le16(h, flags);
            Le16(h, method);
            Le16(h, kDosTime);
            Le16(h, kDosDate);
            Le32(h, crc);
            Le32(h, static_cast<uint32_t>(data.size()));
            Le32(h, static_cast<uint32_t>(e.bytes.size()));
            Le16(h, static_cast<uint32_t>(e.name.size()));
            Le16(h, 0);  // extra field
        };
        Le32(out, 0x04034b50);
        common(out);
        out += e.name;
        out += data;

        Le32(central, 0x02014b50);
        Le16(central, (3 << 8) | 20);  // made by: Unix, 2.0
        common(central);
        Le16(central, 0);  // comment
        Le16(central, 0);  // disk
        Le16(central, 0);  // internal attributes
        Le32(central, 0100644u << 16);  // a regular file, rw-r--r--
        Le32(central, offset);
        central += e.name;
    }
    if (out.size() + central.size() >= kMax32) throw std::length_error("a zip larger than 4 GB");
    const auto centralAt = static_cast<uint32_t>(out.size());
    out += central;
    Le32(out, 0x06054b50);
    Le16(out, 0);
    Le16(out, 0);
    Le16(out, static_cast<uint32_t>(entries.size()));
    Le16(out, static_cast<uint32_t>(entries.size()));
    Le32(out, static_cast<uint32_t>(central.size()));
    Le32(out, centralAt);
    Le16(out, 0);
    return out;
}

std::string FolderName(const fs::path& dir) {
    fs::path p = fs::absolute(dir).lexically_normal();
    if (p.filename().empty()) p = p.parent_path();
    return p.filename().string();
}

std::vector<ZipEntry> ProjectEntries(const fs::path& dir, const std::string& top, std::ostream& err) {
    std::vector<std::pair<std::string, fs::path>> files;
    std::error_code ec;
    uint64_t total = 0;
    fs::recursive_directory_iterator it(dir, fs::directory_options::none, ec);
    if (ec) throw base::FileError(base::DisplayPath(dir), ec.message());
    for (; it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (ec) throw base::FileError(base::DisplayPath(dir), ec.message());
        const fs::path& path = it->path();
        const std::string name = path.filename().string();
        const std::string rel = path.lexically_relative(dir).generic_string();
        // An author's own dot files (.git, an editor's) and files a killed
        // write left are no part of the game.
        if (name.starts_with(".") || base::IsTemporaryName(name)) {
            if (it->is_directory(ec)) it.disable_recursion_pending();
            continue;
        }
        const fs::file_status st = it->symlink_status(ec);
        if (fs::is_symlink(st)) {
            // A link could lead out of the project; the game's gate would
            // refuse one that does, and a zip cannot carry it anyway.
            err << "velmora-tool: " << base::TerminalSafe(rel) << ": a link, not packed\n";
            continue;
        }
        if (fs::is_directory(st)) continue;
        if (!fs::is_regular_file(st)) {
            err << "velmora-tool: " << base::TerminalSafe(rel) << ": not a regular file, not packed\n";
            continue;
        }
        const uintmax_t size = fs::file_size(path, ec);
        if (ec) throw base::FileError(base::DisplayPath(path), ec.message());
        total += size;
        if (total > kMaxProjectBytes) {
            throw base::FileError(base::DisplayPath(dir), "больше 256 мегабайт: такой архив страница не откроет");
        }
        files.emplace_back(rel, path);
    }
    std::sort(files.begin(), files.end());
    std::vector<ZipEntry> entries;
    for (const auto& [rel, path] : files) {
        std::ifstream in(path, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in.good() && !in.eof()) throw base::FileError(base::DisplayPath(path), "не читается");
        entries.push_back({top + "/" + rel, std::move(bytes)});
    }
    return entries;
}

int CheckBeforeSharing(const fs::path& dir, std::ostream& err, const std::string& nothingDone) {
    check::Report report;
    check::CheckProject(dir, report);
    if (report.Failed(false)) {
        report.Print(err);
        err << "velmora-tool: the project has errors; " << nothingDone << '\n';
        return 1;
    }
    // Warnings do not stop it, but the author hears them.
    if (report.warnings() > 0) report.Print(err);
    return 0;
}

int PackProject(const fs::path& dir, fs::path zip, std::ostream& out, std::ostream& err) {
    const std::string top = FolderName(dir);
    if (top.empty() || top == "." || top == "..") {
        err << "velmora-tool: " << base::TerminalSafe(base::DisplayPath(dir)) << ": no folder name to pack under\n";
        return 2;
    }
    if (const int status = CheckBeforeSharing(dir, err, "nothing packed")) return status;
    if (zip.empty()) zip = top + ".zip";
    // A zip written into the project itself would be packed by the next run.
    std::error_code ec;
    const fs::path zipAt = fs::weakly_canonical(fs::absolute(zip), ec);
    const fs::path dirAt = fs::weakly_canonical(fs::absolute(dir), ec);
    const std::string skip = zipAt.lexically_relative(dirAt).generic_string();
    std::vector<ZipEntry> entries = ProjectEntries(dir, top, err);
    std::erase_if(entries, [&](const ZipEntry& e) { return e.name == top + "/" + skip; });
    base::WriteFileAtomic(zip, WriteZip(entries));
    out << "velmora-tool: " << base::TerminalSafe(base::DisplayPath(zip)) << ": " << entries.size()
        << " files under " << base::TerminalSafe(top) << "/\n";
    return 0;
}

}  // namespace velmora::tool
