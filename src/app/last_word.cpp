// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/last_word.h"

#include <atomic>
#include <memory>
#include <thread>

#include "speech/simple_outputs.h"

namespace velmora::app {

bool SayBeforeLeaving(const std::string& text1251, speech::SpeechChoice choice,
                      const std::string& voiceName1251, std::chrono::milliseconds limit) {
    // print would write to the output nobody sees; none leaves it to a reader
    // that cannot be there without a terminal or a window.
    if (choice == speech::SpeechChoice::Print || choice == speech::SpeechChoice::None) return false;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    auto ended = std::make_shared<std::atomic<bool>>(false);
    speech::SpeechSetup setup;
    setup.choice = choice;
    setup.voiceName = voiceName1251;
    setup.post = [ended](speech::SpeechEvent) { ended->store(true); };
    setup.spawnTimeoutMs = static_cast<int>(limit.count() / 2);
    std::unique_ptr<speech::SpeechOutput> out = speech::OpenSpeechOutput(setup);
    if (dynamic_cast<const speech::NoneOutput*>(out.get()) != nullptr) return false;
    out->Speak(text1251);
    // The end is posted from the engine's thread; polling keeps this free of
    // an event loop that does not exist yet.
    while (!ended->load() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return ended->load();
}

}  // namespace velmora::app
