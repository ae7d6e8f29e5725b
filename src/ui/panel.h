// Containers and the simple display controls of the window.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "ui/control.h"

namespace velmora::ui {

class Panel : public Control {
public:
    explicit Panel(std::string name) : Control(std::move(name)) {}

    bool Bevel = false;
    // A hosted line tells its host what it showed or hid (0 hidden, 1 edit
    // shown, 2 list shown).
    std::function<void(int what)> OnNotify;
    void Notify(int what) { CallHook(OnNotify, what); }
};

class Image : public Control {
public:
    explicit Image(std::string name) : Control(std::move(name)) {}

    bool Stretch = true;
    const std::filesystem::path& Picture() const { return picture_; }
    // Counts every load, so that a front end sees a reload of the same file.
    int PictureVersion() const { return version_; }
    void LoadPicture(std::filesystem::path file) {
        picture_ = std::move(file);
        ++version_;
    }
    void ClearPicture() {
        picture_.clear();
        ++version_;
    }

private:
    std::filesystem::path picture_;
    int version_ = 0;
};

class Label : public Control {
public:
    explicit Label(std::string name) : Control(std::move(name)) {}

    std::string Caption;  // code page 1251
    bool Transparent = true;
};

}  // namespace velmora::ui
