// make-game-assets on a manifest of every scene, variant, mood and sound kind:
// the files must decode at their declared sizes and formats, sound like
// something, play for their lengths, and come out the same every time.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "frontend/sdl/sdl_handles.h"

namespace fs = std::filesystem;

namespace {

using Surface = velmora::frontend::sdl::SurfacePtr;
using Animation = velmora::frontend::sdl::AnimationPtr;

struct Entry {
    std::string kind, path, what;
    int w = 0, h = 0;
};

std::vector<Entry> Manifest() {
    std::vector<Entry> out;
    std::ifstream in(VELMORA_ASSETS_MANIFEST);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        Entry e;
        if (!(words >> e.kind) || e.kind[0] == '#') continue;
        words >> e.path >> e.what;
        std::string size;
        if (words >> size) {
            const auto x = size.find('x');
            e.w = std::stoi(size.substr(0, x));
            e.h = std::stoi(size.substr(x + 1));
        }
        out.push_back(e);
    }
    return out;
}

std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Runs the generator; returns its exit status, stderr into *err.
int Generate(const fs::path& manifest, const fs::path& out, const std::string& extra, std::string* err) {
    const fs::path errFile = out.string() + ".stderr";
    const std::string cmd = Quote(VELMORA_PYTHON) + " " + Quote(VELMORA_MAKE_ASSETS) + " --manifest " +
                            Quote(manifest.string()) + " --out " + Quote(out.string()) + " " + extra +
                            " >/dev/null 2>" + Quote(errFile.string());
    const int status = std::system(cmd.c_str());
    if (err) {
        std::ifstream in(errFile);
        *err = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class Assets : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/velmora-assets-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        std::string err;
        status_ = Generate(VELMORA_ASSETS_MANIFEST, root_ / "game",
                           "--icon " + Quote((root_ / "icon.png").string()), &err);
        errors_ = err;
        ASSERT_EQ(SDL_Init(0), 0) << SDL_GetError();
    }
    static void TearDownTestSuite() {
        SDL_Quit();
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    void SetUp() override { ASSERT_EQ(status_, 0) << errors_; }

    static fs::path File(const Entry& e) { return root_ / "game" / e.path; }

    static inline fs::path root_;
    static inline int status_ = -1;
    static inline std::string errors_;
};

Surface Rgba(SDL_Surface* loaded) {
    Surface owner(loaded);
    if (!owner) return nullptr;
    return Surface(SDL_ConvertSurfaceFormat(owner.get(), SDL_PIXELFORMAT_RGBA32, 0));
}

std::set<uint32_t> Colours(SDL_Surface* s) {
    std::set<uint32_t> out;
    for (int y = 0; y < s->h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->pixels) + y * s->pitch);
        out.insert(row, row + s->w);
    }
    return out;
}

// The share of the picture taken by its most common colour.
double Dominance(SDL_Surface* s) {
    std::map<uint32_t, int> counts;
    int most = 0;
    for (int y = 0; y < s->h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->pixels) + y * s->pitch);
        for (int x = 0; x < s->w; ++x) most = std::max(most, ++counts[row[x]]);
    }
    return static_cast<double>(most) / (s->w * s->h);
}

TEST_F(Assets, PicturesDecodeAtTheirSizeWithManyColours) {
    int checked = 0;
    for (const Entry& e : Manifest()) {
        if (e.kind != "picture" && e.kind != "animated") continue;
        Surface s = Rgba(IMG_Load(File(e).c_str()));
        ASSERT_TRUE(s) << e.path << ": " << IMG_GetError();
        EXPECT_EQ(s->w, e.w) << e.path;
        EXPECT_EQ(s->h, e.h) << e.path;
        // A scene that drew nothing, or one flat colour, is a fault even in the dark.
        EXPECT_GE(Colours(s.get()).size(), 12u) << e.path;
        EXPECT_LT(Dominance(s.get()), 0.6) << e.path;
        ++checked;
    }
    EXPECT_GE(checked, 40);
}

struct Mean {
    double r = 0, g = 0, b = 0;
    double Luma() const { return 0.299 * r + 0.587 * g + 0.114 * b; }
    double Warmth() const { return (r + 1) / (b + 1); }
    double Blueness() const { return b / (r + g + b + 1); }
};

// The mean colour of rows [from, to) of a picture, as fractions of its height.
Mean MeanColour(const fs::path& file, double from = 0, double to = 1) {
    Surface s = Rgba(IMG_Load(file.c_str()));
    Mean m;
    if (!s) {
        ADD_FAILURE() << file << ": " << IMG_GetError();
        return m;
    }
    const int y0 = static_cast<int>(from * s->h), y1 = static_cast<int>(to * s->h);
    double n = 0;
    for (int y = y0; y < y1; ++y) {
        const auto* row = static_cast<const uint8_t*>(s->pixels) + y * s->pitch;
        for (int x = 0; x < s->w; ++x, ++n) {
            m.r += row[4 * x];
            m.g += row[4 * x + 1];
            m.b += row[4 * x + 2];
        }
    }
    m.r /= n;
    m.g /= n;
    m.b /= n;
    return m;
}

TEST_F(Assets, VariantsChangeTheLightAndTheDoors) {
    for (const std::string scene : {"hall", "village"}) {
        auto of = [&](const char* variant, double from = 0, double to = 1) {
            return MeanColour(root_ / "game" / ("gif/" + scene + "-" + variant + ".gif"), from, to);
        };
        const Mean day = of("day"), night = of("night"), dark = of("dark");
        EXPECT_GT(day.Luma(), night.Luma() * 1.3) << scene;
        EXPECT_GT(night.Luma(), dark.Luma()) << scene;
        EXPECT_LT(dark.Luma(), 45) << scene << ": dark should be almost black";
        EXPECT_GT(dark.Luma(), 3) << scene << ": dark should still show something";
        EXPECT_GT(of("lit").Warmth(), day.Warmth() * 1.15) << scene;
        EXPECT_GT(of("burning").Warmth(), day.Warmth() * 1.3) << scene;
        EXPECT_GT(of("flooded", 0.75).Blueness(), of("day", 0.75).Blueness() + 0.03) << scene;
    }
    for (const auto& [a, b] : {std::pair{"gif/hall-open.gif", "gif/hall-closed.gif"},
                               std::pair{"gif/treasure.gif", "gif/treasure-closed.gif"},
                               std::pair{"gif/scroll.gif", "gif/scroll-closed.gif"}}) {
        Surface open = Rgba(IMG_Load((root_ / "game" / a).c_str()));
        Surface closed = Rgba(IMG_Load((root_ / "game" / b).c_str()));
        ASSERT_TRUE(open && closed) << a;
        ASSERT_EQ(open->h * open->pitch, closed->h * closed->pitch) << a;
        EXPECT_NE(std::memcmp(open->pixels, closed->pixels, open->h * open->pitch), 0) << a << " looks like " << b;
    }
}

TEST_F(Assets, EverySceneIsAPictureOfItsOwn) {
    // Pictures of one size, compared pixel for pixel: a scene falling back on
    // another's drawing shows up here.
    std::map<std::string, std::string> seen;
    int compared = 0;
    for (const Entry& e : Manifest()) {
        if (e.kind != "picture" || e.path != "gif/" + e.what + ".gif") continue;
        Surface s = Rgba(IMG_Load(File(e).c_str()));
        ASSERT_TRUE(s) << e.path;
        std::string pixels = std::to_string(s->w) + "x" + std::to_string(s->h) + ":" +
                             std::string(static_cast<const char*>(s->pixels), s->pitch * s->h);
        const auto [it, fresh] = seen.emplace(pixels, e.what);
        EXPECT_TRUE(fresh) << e.what << " draws the same as " << it->second;
        ++compared;
    }
    EXPECT_EQ(compared, 40);
}

TEST_F(Assets, AnimationsLoopSeveralDifferentFramesAtAGentlePace) {
    int checked = 0;
    for (const Entry& e : Manifest()) {
        if (e.kind != "animated") continue;
        Animation a(IMG_LoadAnimation(File(e).c_str()));
        ASSERT_TRUE(a) << e.path << ": " << IMG_GetError();
        EXPECT_EQ(a->w, e.w) << e.path;
        EXPECT_EQ(a->h, e.h) << e.path;
        EXPECT_GE(a->count, 4) << e.path;
        EXPECT_LE(a->count, 8) << e.path;
        std::set<std::string> distinct;
        for (int f = 0; f < a->count; ++f) {
            EXPECT_GE(a->delays[f], 80) << e.path << " frame " << f;
            EXPECT_LE(a->delays[f], 200) << e.path << " frame " << f;
            Surface frame(SDL_ConvertSurfaceFormat(a->frames[f], SDL_PIXELFORMAT_RGBA32, 0));
            ASSERT_TRUE(frame);
            distinct.insert(std::string(static_cast<const char*>(frame->pixels), frame->pitch * frame->h));
        }
        EXPECT_GE(distinct.size(), 3u) << e.path << ": the frames hardly move";
        const std::string bytes = Slurp(File(e));
        EXPECT_NE(bytes.find("NETSCAPE2.0"), std::string::npos) << e.path << " does not loop";
        ++checked;
    }
    EXPECT_GE(checked, 3);
}

TEST_F(Assets, SoundsAreMono16BitAudibleUnclippedAndShort) {
    int checked = 0;
    for (const Entry& e : Manifest()) {
        if (e.kind != "sound") continue;
        SDL_AudioSpec audio;
        Uint8* buf = nullptr;
        Uint32 len = 0;
        ASSERT_NE(SDL_LoadWAV(File(e).c_str(), &audio, &buf, &len), nullptr) << e.path << ": " << SDL_GetError();
        std::unique_ptr<Uint8, decltype(&SDL_FreeWAV)> owner(buf, SDL_FreeWAV);
        EXPECT_EQ(audio.freq, 22050) << e.path;
        EXPECT_EQ(audio.format, AUDIO_S16LSB) << e.path;
        EXPECT_EQ(audio.channels, 1) << e.path;
        const auto* pcm = reinterpret_cast<const int16_t*>(buf);
        const size_t n = len / 2;
        const double seconds = static_cast<double>(n) / 22050;
        EXPECT_GE(seconds, 0.2) << e.path;
        EXPECT_LE(seconds, 2.0) << e.path;
        // Kinds that may stand in for the program's effect cues, which must end within a second.
        if (e.what == "chime" || e.what == "magic" || e.what == "thud" || e.what == "pickup") {
            EXPECT_LT(seconds, 1.0) << e.path;
        }
        double sum = 0;
        int peak = 0, railed = 0;
        for (size_t i = 0; i < n; ++i) {
            sum += static_cast<double>(pcm[i]) * pcm[i];
            peak = std::max(peak, std::abs(static_cast<int>(pcm[i])));
            railed += std::abs(static_cast<int>(pcm[i])) >= 32767;
        }
        EXPECT_GT(std::sqrt(sum / std::max<size_t>(n, 1)), 500.0) << e.path << " is nearly silent";
        EXPECT_EQ(railed, 0) << e.path << " is clipped";
        EXPECT_LT(peak, 32000) << e.path;
        // Starting or stopping mid-wave clicks.
        ASSERT_GT(n, 2u);
        EXPECT_LT(std::abs(pcm[0]), 500) << e.path;
        EXPECT_LT(std::abs(pcm[n - 1]), 500) << e.path;
        if (e.what == "death") {
            // Dark and falling: fewer zero crossings and less energy at the end than at the start.
            auto crossings = [&](size_t from, size_t to) {
                int c = 0;
                for (size_t i = from + 1; i < to; ++i) c += (pcm[i - 1] < 0) != (pcm[i] < 0);
                return c;
            };
            EXPECT_LT(crossings(3 * n / 4, n), crossings(0, n / 4)) << e.path << " does not fall";
        }
        ++checked;
    }
    EXPECT_EQ(checked, 14);
}

// A Standard MIDI File, walked event by event.
struct Midi {
    int format = -1, tracks = 0, division = 0, notes = 0;
    uint32_t firstTempo = 500000;
    double seconds = 0;
    std::string fault;
};

uint32_t Be(const std::string& d, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v = v << 8 | static_cast<uint8_t>(d.at(at + i));
    return v;
}

Midi ParseMidi(const std::string& d) {
    Midi m;
    try {
        if (d.compare(0, 4, "MThd") != 0 || Be(d, 4, 4) != 6) return m.fault = "no MThd", m;
        m.format = Be(d, 8, 2);
        const int declared = Be(d, 10, 2);
        m.division = Be(d, 12, 2);
        if (m.division == 0 || m.division & 0x8000) return m.fault = "odd division", m;
        size_t at = 14;
        // (tick, tempo) changes from every track, for the length in seconds.
        std::vector<std::pair<uint64_t, uint32_t>> tempos;
        uint64_t lastTick = 0;
        while (at < d.size()) {
            const uint32_t len = Be(d, at + 4, 4);
            if (d.compare(at, 4, "MTrk") != 0) return m.fault = "chunk is not MTrk", m;
            const size_t end = at + 8 + len;
            if (end > d.size()) return m.fault = "track runs past the file", m;
            size_t p = at + 8;
            uint64_t tick = 0;
            int status = 0;
            bool ended = false;
            auto vlq = [&] {
                uint32_t v = 0;
                for (int i = 0; i < 4; ++i) {
                    const uint8_t b = static_cast<uint8_t>(d.at(p++));
                    v = v << 7 | (b & 0x7F);
                    if (!(b & 0x80)) return v;
                }
                throw std::runtime_error("long variable-length number");
            };
            while (p < end && !ended) {
                tick += vlq();
                uint8_t b = static_cast<uint8_t>(d.at(p));
                if (b & 0x80) {
                    status = b;
                    ++p;
                } else if (!status) {
                    return m.fault = "data byte without status", m;
                }
                if (status == 0xFF) {
                    const uint8_t type = static_cast<uint8_t>(d.at(p++));
                    const uint32_t n = vlq();
                    if (type == 0x51 && n == 3) tempos.emplace_back(tick, Be(d, p, 3));
                    if (type == 0x2F) ended = true;
                    p += n;
                    status = 0;
                } else if (status == 0xF0 || status == 0xF7) {
                    p += vlq();
                    status = 0;
                } else {
                    const int kind = status & 0xF0;
                    const int data = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
                    if (kind == 0x90 && static_cast<uint8_t>(d.at(p + 1)) > 0) ++m.notes;
                    p += data;
                }
            }
            if (!ended || p != end) return m.fault = "track without its end", m;
            lastTick = std::max(lastTick, tick);
            ++m.tracks;
            at = end;
        }
        if (m.tracks != declared) return m.fault = "track count differs from the header", m;
        std::sort(tempos.begin(), tempos.end());
        if (!tempos.empty()) m.firstTempo = tempos.front().second;
        uint64_t from = 0;
        uint32_t tempo = 500000;
        for (const auto& [t, us] : tempos) {
            m.seconds += static_cast<double>(t - from) * tempo / m.division / 1e6;
            from = t;
            tempo = us;
        }
        m.seconds += static_cast<double>(lastTick - from) * tempo / m.division / 1e6;
    } catch (const std::exception& e) {
        m.fault = e.what();
    }
    return m;
}

TEST_F(Assets, MusicParsesAndPlaysATuneOfHalfAMinute) {
    int checked = 0;
    std::map<std::string, uint32_t> tempo;
    std::set<std::string> pieces;
    for (const Entry& e : Manifest()) {
        if (e.kind != "music") continue;
        const Midi m = ParseMidi(Slurp(File(e)));
        EXPECT_EQ(m.fault, "") << e.path;
        EXPECT_TRUE(m.format == 0 || m.format == 1) << e.path;
        EXPECT_GE(m.notes, 60) << e.path;
        EXPECT_GE(m.seconds, 30) << e.path;
        EXPECT_LE(m.seconds, 60) << e.path;
        tempo[e.what] = m.firstTempo;
        pieces.insert(Slurp(File(e)));
        ++checked;
    }
    EXPECT_EQ(checked, 5);
    EXPECT_EQ(pieces.size(), 5u) << "two moods gave the same piece";
    // Microseconds a beat: the bright tune runs faster than the sad one.
    EXPECT_LT(tempo["bright"] * 1.3, tempo["sad"]);
    EXPECT_LT(tempo["tense"] * 1.3, tempo["calm"]);
}

TEST_F(Assets, IconIsA64PixelPngWithTransparentCorners) {
    Surface s = Rgba(IMG_Load((root_ / "icon.png").c_str()));
    ASSERT_TRUE(s) << IMG_GetError();
    ASSERT_EQ(s->w, 64);
    ASSERT_EQ(s->h, 64);
    const auto* px = static_cast<const uint8_t*>(s->pixels);
    EXPECT_EQ(px[3], 0) << "corner alpha";
    EXPECT_EQ(px[(32 * s->pitch) + 32 * 4 + 3], 255) << "centre alpha";
    EXPECT_GE(Colours(s.get()).size(), 12u);
}

TEST_F(Assets, SameManifestGivesTheSameBytes) {
    const fs::path again = root_ / "again";
    std::string err;
    ASSERT_EQ(Generate(VELMORA_ASSETS_MANIFEST, again, "", &err), 0) << err;
    int compared = 0;
    for (const Entry& e : Manifest()) {
        EXPECT_TRUE(Slurp(File(e)) == Slurp(again / e.path)) << e.path << " differs between runs";
        ++compared;
    }
    EXPECT_GT(compared, 80);
}

TEST_F(Assets, EveryManifestFaultIsNamedByFileAndLineAndNothingIsWritten) {
    struct Case {
        std::string line, word;
    };
    const std::vector<Case> cases = {
        {"picture gif/a.gif palace 320x120", "palace"},
        {"picture gif/a.gif hall 320x120 foggy", "foggy"},
        {"picture gif/a.gif hall 320by120", "320by120"},
        {"picture gif/a.gif hall 0x120", "0x120"},
        {"animated gif/a.gif fire", "animated"},
        {"music m.mid jolly", "jolly"},
        {"sound s.wav boom", "boom"},
        {"video v.avi", "video"},
        {"picture ../outside.gif hall 32x32", "../outside.gif"},
        {"picture /etc/a.gif hall 32x32", "/etc/a.gif"},
        {"sound sounds/bell.wav bell", "already listed on line 2"},
    };
    const fs::path dir = root_ / "bad";
    fs::create_directories(dir);
    const fs::path manifest = dir / "assets.txt";
    {
        std::ofstream out(manifest);
        out << "# a comment\nsound sounds/bell.wav bell\n\n";
        for (const Case& c : cases) out << c.line << "\n";
    }
    std::string err;
    EXPECT_EQ(Generate(manifest, dir / "game", "", &err), 1);
    // One message a line, in order, each naming the word at fault.
    std::istringstream lines(err);
    std::string message;
    for (size_t i = 0; i < cases.size(); ++i) {
        ASSERT_TRUE(std::getline(lines, message)) << "no message for " << cases[i].line << "\n" << err;
        const std::string where = manifest.string() + ":" + std::to_string(i + 4) + ": ";
        EXPECT_EQ(message.rfind(where, 0), 0u) << message;
        EXPECT_NE(message.find(cases[i].word), std::string::npos) << message;
    }
    EXPECT_FALSE(std::getline(lines, message)) << "unexpected: " << message;
    EXPECT_FALSE(fs::exists(dir / "game")) << "files written despite the faults";

    // A manifest that cannot be read is a fault too.
    EXPECT_EQ(Generate(dir / "missing.txt", dir / "game", "", &err), 1);
    EXPECT_NE(err.find("missing.txt"), std::string::npos) << err;
}

}  // namespace
