#include "sound/drivers/external_players_driver.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>
#include <system_error>
#include <utility>

#include "base/project_file.h"
#include "sound/cue_sounds.h"

namespace fs = std::filesystem;

namespace velmora::sound {
namespace {

// Cue players still running at once; the oldest goes when a new one starts.
constexpr std::size_t kMaxCues = 4;

enum class FileKind { Other, Wave, Midi };

// By content, not by name: a project's names and extensions are not to be trusted.
// Opened through the gate: a pipe or a device in the file's place is no
// sound (and the player is never started on it).
FileKind KindOf(const fs::path& path, base::FileKind gateKind) {
    char head[12] = {};
    std::size_t got = 0;
    try {
        const base::UniqueFd fd = base::OpenCheckedFile(path, gateKind);
        while (got < sizeof head) {
            const ssize_t n = ::read(fd.Get(), head + got, sizeof head - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
    } catch (const base::FileError&) {
        return FileKind::Other;
    }
    const std::string_view h(head, got);
    if (h.starts_with("MThd")) return FileKind::Midi;
    if (h.size() < 12 || !h.starts_with("RIFF")) return FileKind::Other;
    if (h.substr(8) == "WAVE") return FileKind::Wave;
    if (h.substr(8) == "RMID") return FileKind::Midi;
    return FileKind::Other;
}

class WaveBytes : public Sample {
public:
    explicit WaveBytes(const PcmSound& pcm)
        : bytes(WaveFileBytes(pcm)), length(pcm.samples.size()), rate(pcm.rate) {}
    std::string bytes;
    std::uint64_t length;
    int rate;
};

// A file argument that no player can take for an option.
std::string FileArg(const fs::path& path) {
    return path.is_relative() ? (fs::path(".") / path).string() : path.string();
}

int Percent(ChannelVolume volume, int full) {
    return static_cast<int>((static_cast<long>(volume.left) + volume.right) * full / (2L * 0xFFFF));
}

}  // namespace

ExternalPlayers FindExternalPlayers(std::string_view searchPath, const fs::path& soundFont) {
    ExternalPlayers players;
    players.wavPlayer = FindOnPath(searchPath, "aplay");
    if (players.wavPlayer.empty()) players.wavPlayer = FindOnPath(searchPath, "paplay");
    players.midiPlayer = FindOnPath(searchPath, "timidity");
    if (players.midiPlayer.empty() && !soundFont.empty()) {
        players.midiPlayer = FindOnPath(searchPath, "fluidsynth");
        players.soundFont = soundFont;
    }
    return players;
}

ExternalPlayersDriver::ExternalPlayersDriver(ExternalPlayers players)
    : players_(std::move(players)) {}

ExternalPlayersDriver::~ExternalPlayersDriver() = default;

bool ExternalPlayersDriver::Installed() const {
    return !players_.wavPlayer.empty() || !players_.midiPlayer.empty();
}

std::vector<std::string> ExternalPlayersDriver::WavArgs(const fs::path* file) const {
    std::vector<std::string> args{players_.wavPlayer.filename().string()};
    if (args[0] == "aplay") args.push_back("-q");
    // Both read standard input when no file is named.
    if (file) args.push_back(FileArg(*file));
    return args;
}

std::unique_ptr<Sample> ExternalPlayersDriver::MakeSample(const PcmSound& pcm) {
    if (players_.wavPlayer.empty()) return nullptr;
    return std::make_unique<WaveBytes>(pcm);
}

bool ExternalPlayersDriver::PlaySample(Sample& sample) {
    auto* wave = dynamic_cast<WaveBytes*>(&sample);
    if (!wave || players_.wavPlayer.empty()) return false;
    std::erase_if(cues_, [](ChildProcess& cue) { return !cue.Running(); });
    if (cues_.size() >= kMaxCues) cues_.erase(cues_.begin());

    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return false;
    UniqueFd ours(fds[0]);
    UniqueFd theirs(fds[1]);
    ChildProcess child = ChildProcess::Start(players_.wavPlayer, WavArgs(nullptr), theirs.Get());
    if (!child.Started()) return false;
    theirs = UniqueFd();
    // A socket, not a pipe: MSG_NOSIGNAL keeps a player that died early from
    // raising SIGPIPE here, and MSG_DONTWAIT keeps the core from blocking.
    std::size_t sent = 0;
    while (sent < wave->bytes.size()) {
        const ssize_t n = ::send(ours.Get(), wave->bytes.data() + sent, wave->bytes.size() - sent,
                                 MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // a cut-off cue is better than a stalled game
        sent += static_cast<std::size_t>(n);
    }
    cues_.push_back(std::move(child));
    return true;
}

std::optional<SampleDefaults> ExternalPlayersDriver::GetDefaults(const Sample& sample) const {
    auto* wave = dynamic_cast<const WaveBytes*>(&sample);
    if (!wave) return std::nullopt;
    return SampleDefaults{wave->length, wave->rate};
}

bool ExternalPlayersDriver::PlayFileToEnd(const fs::path& path) {
    if (players_.wavPlayer.empty() || KindOf(path, base::FileKind::Sound) != FileKind::Wave) {
        return false;
    }
    ChildProcess child = ChildProcess::Start(players_.wavPlayer, WavArgs(&path));
    return child.Started() && child.Wait();
}

bool ExternalPlayersDriver::OpenMusic(const fs::path& path) {
    CloseMusic();
    // A player started on a missing file would count as music playing, and
    // the music key would then stop nothing instead of starting the music.
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return false;
    std::vector<std::string> args;
    fs::path program;
    switch (KindOf(path, base::FileKind::Music)) {
        case FileKind::Midi:
            program = players_.midiPlayer;
            if (program.empty()) return false;
            args.push_back(program.filename().string());
            if (args[0] == "timidity") {
                args.push_back("-id");
                // 70 is its own default amplification.
                args.push_back("-A" + std::to_string(Percent(volume_, 70)));
            } else {
                char gain[16];
                // 0.2 is its own default gain.
                std::snprintf(gain, sizeof gain, "0.%03d", Percent(volume_, 200));
                args.insert(args.end(), {"-n", "-i", "-g", gain, players_.soundFont.string()});
            }
            args.push_back(FileArg(path));
            break;
        case FileKind::Wave:
            program = players_.wavPlayer;
            if (program.empty()) return false;
            args = WavArgs(&path);
            break;
        case FileKind::Other:
            return false;
    }
    music_ = ChildProcess::Start(program, args);
    return music_.Started();
}

void ExternalPlayersDriver::CloseMusic() {
    music_.Kill();
}

}  // namespace velmora::sound
