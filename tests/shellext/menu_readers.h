// The menu entries read the way the file managers read them: a desktop
// entry's Exec key with its quoting and field codes, and Thunar's custom
// actions through GLib's markup parser (loaded from the library Qt already
// uses) with the grammar Thunar gives it, then its command's "%" codes.
#pragma once

#include <dlfcn.h>

#include <string>
#include <vector>

namespace vig::test {

// A key file's value with its escapes (\s \n \t \r \\) undone.
inline std::string KeyFileUnescape(const std::string& value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const char c = value[++i];
        out += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
    }
    return out;
}

// The value of `key` in the first group of a key file that has it.
inline std::string KeyFileValue(const std::string& text, const std::string& key) {
    const std::string start = "\n" + key + "=";
    const size_t at = ("\n" + text).find(start);
    if (at == std::string::npos) return {};
    const size_t from = at + start.size() - 1;
    return text.substr(from, text.find('\n', from) - from);
}

// Field codes: "%%" is a percent sign, "%F" (an argument of its own) the
// selected files; any other code is an error (false).
inline bool ExpandFieldCodes(const std::vector<std::string>& args,
                             const std::vector<std::string>& files, std::vector<std::string>* out) {
    for (const std::string& arg : args) {
        if (arg == "%F") {
            out->insert(out->end(), files.begin(), files.end());
            continue;
        }
        std::string expanded;
        for (size_t i = 0; i < arg.size(); ++i) {
            if (arg[i] != '%') {
                expanded += arg[i];
            } else if (i + 1 < arg.size() && arg[i + 1] == '%') {
                expanded += '%';
                ++i;
            } else {
                return false;
            }
        }
        out->push_back(expanded);
    }
    return true;
}

// A desktop entry's Exec value (escapes undone) as an argument list: words
// apart at spaces, double quotes with \" \` \$ \\ inside; reserved
// characters outside quotes are an error (false).
inline bool DesktopExecArguments(const std::string& exec, const std::vector<std::string>& files,
                                 std::vector<std::string>* out) {
    std::vector<std::string> args;
    std::string word;
    bool inWord = false;
    for (size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (c == ' ') {
            if (inWord) args.push_back(word);
            word.clear();
            inWord = false;
        } else if (c == '"') {
            inWord = true;
            for (++i; i < exec.size() && exec[i] != '"'; ++i) {
                if (exec[i] == '\\' && i + 1 < exec.size() &&
                    std::string("\"`$\\").find(exec[i + 1]) != std::string::npos)
                    ++i;
                word += exec[i];
            }
            if (i == exec.size()) return false;
        } else if (std::string("\t\n'\\><~|&;$*?#()`").find(c) != std::string::npos) {
            return false;
        } else {
            inWord = true;
            word += c;
        }
    }
    if (inWord) args.push_back(word);
    return ExpandFieldCodes(args, files, out);
}

// One argument quoted for a POSIX shell.
inline std::string ShQuote(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// A command line whose field codes are replaced by text for a shell: "%%"
// a percent sign, "%F" the files quoted and apart by spaces (as Nemo and
// Thunar put them in); false for any other code.
inline bool ShellCommandLine(const std::string& command, const std::vector<std::string>& files,
                             std::string* out) {
    out->clear();
    for (size_t i = 0; i < command.size(); ++i) {
        if (command[i] != '%') {
            *out += command[i];
            continue;
        }
        if (++i == command.size()) return false;
        if (command[i] == '%') {
            *out += '%';
        } else if (command[i] == 'F') {
            for (size_t k = 0; k < files.size(); ++k) *out += (k ? " " : "") + ShQuote(files[k]);
        } else {
            return false;
        }
    }
    return true;
}

// What Thunar keeps of one custom action.
struct ThunarActionRead {
    std::string uniqueId, name, command, patterns;
    bool imageFiles = false;
};

// Thunar's reading of uca.xml through GLib's markup parser: the root
// <actions>, <action> elements in it, and inside those only the elements
// Thunar knows. False, with the parser's message in *error, where Thunar
// would refuse the file (it then shows no actions); an empty file is such a
// case. Skips the test's checks when GLib cannot be loaded.
inline bool ReadThunarActions(const std::string& text, std::vector<ThunarActionRead>* actions,
                              std::string* error, bool* glibMissing) {
    struct GError {
        uint32_t domain;
        int code;
        char* message;
    };
    using Start = void (*)(void*, const char*, const char**, const char**, void*, GError**);
    using End = void (*)(void*, const char*, void*, GError**);
    using Text = void (*)(void*, const char*, size_t, void*, GError**);
    using OnError = void (*)(void*, GError*, void*);
    struct GMarkupParser {
        Start start;
        End end;
        Text text;
        Text passthrough;
        OnError error;
    };
    static void* glib = dlopen("libglib-2.0.so.0", RTLD_NOW | RTLD_NOLOAD);
    if (glib == nullptr) glib = dlopen("libglib-2.0.so.0", RTLD_NOW);
    *glibMissing = glib == nullptr;
    if (glib == nullptr) return false;
    const auto contextNew = reinterpret_cast<void* (*)(const GMarkupParser*, int, void*, void*)>(
        dlsym(glib, "g_markup_parse_context_new"));
    const auto parse = reinterpret_cast<int (*)(void*, const char*, long, GError**)>(
        dlsym(glib, "g_markup_parse_context_parse"));
    const auto endParse =
        reinterpret_cast<int (*)(void*, GError**)>(dlsym(glib, "g_markup_parse_context_end_parse"));
    const auto contextFree =
        reinterpret_cast<void (*)(void*)>(dlsym(glib, "g_markup_parse_context_free"));
    const auto errorFree = reinterpret_cast<void (*)(GError*)>(dlsym(glib, "g_error_free"));
    const auto setError = reinterpret_cast<void (*)(GError**, uint32_t, int, const char*)>(
        dlsym(glib, "g_set_error_literal"));
    const auto markupQuark = reinterpret_cast<uint32_t (*)()>(dlsym(glib, "g_markup_error_quark"));

    struct State {
        std::vector<ThunarActionRead>* actions;
        int depth = 0;
        std::string element;
        ThunarActionRead current;
        void (*setError)(GError**, uint32_t, int, const char*);
        uint32_t quark;
    } state{actions, 0, {}, {}, setError, markupQuark()};

    static const char* const kTextElements[] = {"name",        "unique-id", "icon",  "command",
                                                "description", "patterns",  "range", "submenu"};
    static const char* const kFlagElements[] = {"startup-notify", "directories", "audio-files",
                                                "image-files",    "other-files", "text-files",
                                                "video-files"};
    GMarkupParser parser{};
    parser.start = [](void*, const char* name, const char**, const char**, void* data,
                      GError** err) {
        auto* s = static_cast<State*>(data);
        const std::string n = name;
        bool known = false;
        if (s->depth == 0) known = n == "actions";
        if (s->depth == 1) known = n == "action";
        if (s->depth == 1) s->current = {};
        if (s->depth == 2) {
            for (const char* e : kTextElements) known = known || n == e;
            for (const char* e : kFlagElements) known = known || n == e;
            if (n == "image-files") s->current.imageFiles = true;
        }
        s->element = n;
        ++s->depth;
        if (!known) s->setError(err, s->quark, 4, ("Unknown element <" + n + ">").c_str());
    };
    parser.end = [](void*, const char* name, void* data, GError**) {
        auto* s = static_cast<State*>(data);
        if (--s->depth == 1 && std::string(name) == "action") s->actions->push_back(s->current);
        s->element.clear();
    };
    parser.text = [](void*, const char* text, size_t length, void* data, GError**) {
        auto* s = static_cast<State*>(data);
        if (s->depth != 3) return;
        const std::string t(text, length);
        if (s->element == "unique-id") s->current.uniqueId += t;
        if (s->element == "name") s->current.name += t;
        if (s->element == "command") s->current.command += t;
        if (s->element == "patterns") s->current.patterns += t;
    };
    void* context = contextNew(&parser, 0, &state, nullptr);
    GError* err = nullptr;
    const bool ok = parse(context, text.data(), static_cast<long>(text.size()), &err) != 0 &&
                    endParse(context, &err) != 0;
    if (err != nullptr) {
        *error = err->message;
        errorFree(err);
    }
    contextFree(context);
    return ok;
}

}  // namespace vig::test
