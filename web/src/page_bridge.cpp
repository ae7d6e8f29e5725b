// SPDX-License-Identifier: GPL-3.0-or-later
#include "page_bridge.h"

#include <emscripten.h>

#include <cstdlib>

namespace velmora::web {
namespace {

// clang-format off
EM_JS(void, JsSay, (const char* text, int again), {
    const p = Module.velmoraPage;
    if (p && p.say) p.say(UTF8ToString(text), again !== 0);
});
EM_JS(int, JsWantsVoice, (), {
    const p = Module.velmoraPage;
    return p && p.speechMode === 'voice' ? 1 : 0;
});
EM_JS(void, JsVoiceSpeak, (const char* text), {
    const p = Module.velmoraPage;
    if (p && p.voiceSpeak) p.voiceSpeak(UTF8ToString(text));
});
EM_JS(void, JsVoiceCancel, (), {
    const p = Module.velmoraPage;
    if (p && p.voiceCancel) p.voiceCancel();
});
EM_JS(int, JsVoiceSpeaking, (), {
    const p = Module.velmoraPage;
    return p && p.voiceSpeaking && p.voiceSpeaking() ? 1 : 0;
});
EM_JS(void, JsVoiceRate, (int setting), {
    const p = Module.velmoraPage;
    if (p && p.voiceRate) p.voiceRate(setting);
});
EM_JS(void, JsReport, (const char* lines), {
    const p = Module.velmoraPage;
    if (p && p.report) p.report(UTF8ToString(lines));
});
// A malloc'd UTF-8 copy, or null.
EM_JS(char*, JsOption, (const char* name), {
    const p = Module.velmoraPage;
    const value = p && p.options ? p.options[UTF8ToString(name)] : undefined;
    if (value === undefined || value === null) return 0;
    const text = String(value);
    const size = lengthBytesUTF8(text) + 1;
    const out = _malloc(size);
    if (out) stringToUTF8(text, out, size);
    return out;
});
EM_JS(void, JsRender, (const char* json), {
    const p = Module.velmoraPage;
    if (p && p.render) p.render(UTF8ToString(json));
});
EM_JS(void, JsMirror, (const char* json), {
    const p = Module.velmoraPage;
    if (p && p.mirror) p.mirror(UTF8ToString(json));
});
EM_JS(void, JsView, (const char* view), {
    const p = Module.velmoraPage;
    if (p && p.view) p.view(UTF8ToString(view));
});
// The size the window is laid out at: the page's, or larger on a small
// page, which then draws it scaled down.
EM_JS(int, JsWidth, (), {
    const p = Module.velmoraPage;
    return Math.max(1, Math.round(p && p.layoutSize ? p.layoutSize().width : window.innerWidth));
});
EM_JS(int, JsHeight, (), {
    const p = Module.velmoraPage;
    return Math.max(1, Math.round(p && p.layoutSize ? p.layoutSize().height : window.innerHeight));
});
EM_JS(int, JsLoadMusic, (const char* path), {
    const p = Module.velmoraPage;
    return p && p.loadMusic ? (p.loadMusic(UTF8ToString(path)) | 0) : 0;
});
EM_JS(int, JsMakeSound, (const char* bytes, int size, const char* key), {
    const p = Module.velmoraPage;
    // A copy: the bytes are freed when the call returns.
    return p && p.makeSound ? (p.makeSound(HEAPU8.slice(bytes, bytes + size), UTF8ToString(key)) | 0) : 0;
});
EM_JS(int, JsPlaySound, (int id), {
    const p = Module.velmoraPage;
    return p && p.playSound ? (p.playSound(id) ? 1 : 0) : 0;
});
EM_JS(int, JsStopSound, (int id), {
    const p = Module.velmoraPage;
    return p && p.stopSound ? (p.stopSound(id) ? 1 : 0) : 0;
});
EM_JS(void, JsFreeSound, (int id), {
    const p = Module.velmoraPage;
    if (p && p.freeSound) p.freeSound(id);
});
EM_JS(void, JsMusicVolume, (double left, double right), {
    const p = Module.velmoraPage;
    if (p && p.musicVolume) p.musicVolume(left, right);
});
// Resolved by the page's key handler (Module.velmoraWake) or the timeout.
// The game is between events: the page may look at its files.
EM_ASYNC_JS(void, JsWait, (int ms), {
    const p = Module.velmoraPage;
    if (p && p.idle) p.idle();
    await new Promise((resolve) => {
        const timer = setTimeout(() => { Module.velmoraWake = null; resolve(); }, ms);
        Module.velmoraWake = () => { clearTimeout(timer); Module.velmoraWake = null; resolve(); };
    });
});
// clang-format on

}  // namespace

void PageSay(const base::Utf8& text, bool again) { JsSay(text.c_str(), again ? 1 : 0); }
bool PageWantsVoice() { return JsWantsVoice() != 0; }
void PageVoiceSpeak(const base::Utf8& text) { JsVoiceSpeak(text.c_str()); }
void PageVoiceCancel() { JsVoiceCancel(); }
bool PageVoiceSpeaking() { return JsVoiceSpeaking() != 0; }
void PageVoiceRate(int setting) { JsVoiceRate(setting); }
void PageReport(const base::Utf8& lines) { JsReport(lines.c_str()); }
std::string PageOption(const char* name) {
    char* value = JsOption(name);
    if (value == nullptr) return {};
    std::string out(value);
    std::free(value);
    return out;
}
void PageRender(const std::string& formJson) { JsRender(formJson.c_str()); }
void PageMirror(const std::string& mirrorJson) { JsMirror(mirrorJson.c_str()); }
void PageView(const char* view) { JsView(view); }
int PageWidth() { return JsWidth(); }
int PageHeight() { return JsHeight(); }
int PageLoadMusic(const std::string& path) { return JsLoadMusic(path.c_str()); }
int PageMakeSound(const std::string& waveBytes, const std::string& key) {
    return JsMakeSound(waveBytes.data(), static_cast<int>(waveBytes.size()), key.c_str());
}
bool PagePlaySound(int id) { return JsPlaySound(id) != 0; }
bool PageStopSound(int id) { return JsStopSound(id) != 0; }
void PageFreeSound(int id) { JsFreeSound(id); }
void PageMusicVolume(double left, double right) { JsMusicVolume(left, right); }
void PageWait(int ms) { JsWait(ms); }

}  // namespace velmora::web
