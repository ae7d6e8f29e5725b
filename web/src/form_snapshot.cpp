// SPDX-License-Identifier: GPL-3.0-or-later
#include "form_snapshot.h"

#include <cstdio>

#include "base/utf8.h"
#include "ui/edit.h"
#include "ui/list_box.h"
#include "ui/panel.h"
#include "ui/rich_edit.h"

namespace velmora::web {
namespace {

std::string Css(ui::Colour c) {
    char out[8];
    std::snprintf(out, sizeof out, "#%02x%02x%02x", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    return out;
}

class Writer {
public:
    explicit Writer(std::string& out) : out_(out) {}
    Writer& Key(const char* name) {
        if (!first_) out_ += ',';
        first_ = false;
        out_ += '"';
        out_ += name;
        out_ += "\":";
        return *this;
    }
    void Int(const char* name, long long v) { Key(name).out_ += std::to_string(v); }
    void Bool(const char* name, bool v) { Key(name).out_ += v ? "true" : "false"; }
    void Text(const char* name, std::string_view text1251) {
        Key(name).out_ += JsonString(base::ToUtf8(text1251));
    }
    void Colour(const char* name, ui::Colour c) { Key(name).out_ += JsonString(base::Utf8(Css(c))); }
    void Box(const ui::Rect& r) {
        Int("x", r.Left);
        Int("y", r.Top);
        Int("w", r.Width());
        Int("h", r.Height());
    }
    void Font(const ui::FontInfo& f) {
        Key("font").out_ += '{';
        Writer font(out_);
        font.Text("name", f.Name);
        font.Int("size", f.Size);
        font.Colour("color", f.Color);
        font.Bool("italic", f.Italic);
        out_ += '}';
    }
    std::string& Out() { return out_; }

private:
    std::string& out_;
    bool first_ = true;
};

void ListRows(Writer& w, ui::ListBox& list) {
    w.Key("rows").Out() += '[';
    bool firstRow = true;
    for (const auto& [index, box] : list.VisibleRows()) {
        const std::optional<ui::ItemPaint> paint = list.PaintItem(index, box);
        if (!paint) continue;
        if (!firstRow) w.Out() += ',';
        firstRow = false;
        w.Out() += '{';
        Writer row(w.Out());
        row.Box(paint->Box);
        row.Colour("bg", paint->Background);
        row.Bool("selected", index == list.ItemIndex());
        row.Key("runs").Out() += '[';
        for (size_t i = 0; i < paint->Runs.size(); ++i) {
            const ui::TextRun& run = paint->Runs[i];
            if (i > 0) w.Out() += ',';
            w.Out() += '{';
            Writer r(w.Out());
            r.Text("text", run.Text);
            r.Box(run.Box);
            r.Colour("color", run.Color);
            r.Int("size", run.FontSize > 0 ? run.FontSize : list.Font.Size);
            w.Out() += '}';
        }
        w.Out() += "]}";
    }
    w.Out() += ']';
    list.ClearPaintRequests();
}

void Control(std::string& out, ui::Control& c) {
    out += '{';
    Writer w(out);
    w.Text("name", c.Name());
    w.Box(c.Bounds());
    w.Colour("bg", c.Color);
    w.Bool("focus", c.Focused());
    if (auto* image = dynamic_cast<ui::Image*>(&c)) {
        w.Text("kind", "image");
        // A path is the file system's own bytes, not code page 1251.
        w.Key("picture").Out() += JsonString(base::Utf8(image->Picture().string()));
        w.Int("version", image->PictureVersion());
        w.Bool("stretch", image->Stretch);
    } else if (auto* label = dynamic_cast<ui::Label*>(&c)) {
        w.Text("kind", "label");
        w.Text("text", label->Caption);
        w.Bool("transparent", label->Transparent);
        w.Font(label->Font);
    } else if (auto* edit = dynamic_cast<ui::Edit*>(&c)) {
        w.Text("kind", "edit");
        w.Text("text", edit->Text());
        w.Int("selStart", edit->SelStart());
        w.Int("selLength", edit->SelLength());
        w.Font(edit->Font);
    } else if (auto* list = dynamic_cast<ui::ListBox*>(&c)) {
        w.Text("kind", "list");
        w.Font(list->Font);
        ListRows(w, *list);
    } else if (auto* rich = dynamic_cast<ui::RichEdit*>(&c)) {
        w.Text("kind", "rich");
        w.Text("text", rich->Text());
        w.Int("caretLine", rich->CaretLine());
        w.Bool("center", rich->Alignment == ui::TextAlign::Center);
        w.Bool("wrap", rich->WordWrap);
        w.Bool("scrollBars", rich->ScrollBars);
        w.Font(rich->Font);
    } else {
        w.Text("kind", dynamic_cast<ui::Form*>(&c) ? "form" : "panel");
    }
    w.Key("children").Out() += '[';
    bool first = true;
    for (ui::Control* child : c.Children()) {
        if (!child->Visible()) continue;
        if (!first) out += ',';
        first = false;
        Control(out, *child);
    }
    out += "]}";
}

}  // namespace

std::string JsonString(const base::Utf8& text) {
    std::string out = "\"";
    for (const char ch : text.view()) {
        const auto b = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (b < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", b);
            out += esc;
        } else {
            out += ch;
        }
    }
    out += '"';
    return out;
}

std::string FormSnapshot(ui::Form& form) {
    std::string out;
    if (form.Visible()) Control(out, form);
    return out.empty() ? "null" : out;
}

std::string MirrorSnapshot(const shell::MenuMirror& mirror) {
    using K = shell::MenuMirror::Kind;
    const char* kind = mirror.kind == K::Menu      ? "menu"
                       : mirror.kind == K::Wait    ? "wait"
                       : mirror.kind == K::Reading ? "reading"
                       : mirror.kind == K::Edit    ? "edit"
                                                   : "none";
    std::string out = "{";
    Writer w(out);
    w.Text("kind", kind);
    w.Text("title", mirror.title);
    w.Int("active", mirror.active);
    w.Key("entries").Out() += '[';
    for (size_t i = 0; i < mirror.entries.size(); ++i) {
        if (i > 0) out += ',';
        out += JsonString(base::ToUtf8(mirror.entries[i]));
    }
    out += "]}";
    return out;
}

}  // namespace velmora::web
