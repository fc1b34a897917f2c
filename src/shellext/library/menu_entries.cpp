#include "shellext/library/menu_entries.h"

#include <QByteArray>
#include <QXmlStreamReader>

#include "image/codec_table.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "shellext/shared/shell_texts.h"
#include "shellext/shared/user_folders.h"

namespace vig::shell {
namespace {

// The first line of every file of ours, so that a file of the same name
// that the user made is never written over or removed.
constexpr const char* kMarker = "# Vignettor context-menu entry";
constexpr const char* kEntryName = "vignettor-snapshrink";
// The extensions (without their dots) and the media types of every input
// format, in the codec table's list order.
std::vector<std::string> Extensions() {
    std::vector<std::string> out;
    for (const image::InputFormatEntry& f : image::InputFormats())
        for (const std::string& ext : image::ExtensionsOf(f.inputFormat))
            out.push_back(ext.substr(1));
    return out;
}

std::string MimeTypes() {
    std::string out;
    for (const image::InputFormatEntry& f : image::InputFormats()) out += f.mediaTypes;
    return out;
}

std::string Replace(const std::string& text, char from, const std::string& to) {
    std::string out;
    for (char c : text) {
        if (c == from)
            out += to;
        else
            out += c;
    }
    return out;
}

// A value of a key file: backslashes and line breaks escaped.
std::string KeyFileValue(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// One argument of a desktop entry's Exec key, before key-file escaping.
std::string DesktopExecQuote(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
        out += c;
    }
    return out + '"';
}

std::string XmlText(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else
            out += c;
    }
    return out;
}

// Thunar compares its patterns with letter case: one pattern for every
// spelling of each extension.
std::string ThunarPatterns() {
    std::string out;
    for (const std::string& e : Extensions()) {
        for (unsigned mask = 0; mask < (1u << e.size()); ++mask) {
            std::string spelled = e;
            for (size_t i = 0; i < e.size(); ++i)
                if ((mask >> i) & 1u) spelled[i] = paths::ToUpperAscii(e.substr(i, 1))[0];
            if (!out.empty()) out += ';';
            out += "*." + spelled;
        }
    }
    return out;
}

// Dolphin puts an entry in its "Actions" submenu unless it asks for the
// top level.
std::string DolphinServiceMenu(const std::string& launcher) {
    const std::string exec =
        KeyFileValue(Replace(DesktopExecQuote(launcher), '%', "%%") + " -- %F");
    return std::string(kMarker) +
           "\n[Desktop Entry]\nType=Application\nName=Vignettor\nComment=" + kMenuHelpText +
           "\nIcon=" + kMenuIconName + "\nExec=" + exec +
           "\nNoDisplay=true\nMimeType=" + MimeTypes() +
           "\nX-KDE-ServiceTypes=KonqPopupMenu/Plugin\nX-KDE-Priority=TopLevel\n"
           "Actions=snapshrink;\n\n[Desktop Action snapshrink]\nName=" +
           kMenuEntryLabel + "\nIcon=" + kMenuIconName + "\nExec=" + exec + "\n";
}

std::string NemoAction(const std::string& launcher) {
    std::string extensions;
    for (const std::string& ext : Extensions()) extensions += ext + ";";
    return std::string(kMarker) + "\n[Nemo Action]\nActive=true\nName=" + kMenuEntryLabel +
           "\nComment=" + kMenuHelpText + "\nIcon-Name=" + kMenuIconName +
           "\nExec=" + KeyFileValue(Replace(ShellQuote(launcher), '%', "%%") + " -- %F") +
           "\nSelection=notnone\nExtensions=" + extensions + "\n";
}

// A case pattern that matches every name ending in one of the extensions,
// in any letter case: *.[jJ][pP][gG]|*.[bB][mM][pP]|...
std::string ScriptPatterns() {
    std::string out;
    for (const std::string& e : Extensions()) {
        if (!out.empty()) out += '|';
        out += "*.";
        for (char c : e) {
            const char upper = paths::ToUpperAscii(std::string(1, c))[0];
            out += upper == c ? std::string(1, c) : std::string{'[', c, upper, ']'};
        }
    }
    return out;
}

// Nautilus and Caja run every executable file of their scripts folder with
// the selected files as arguments (bare names, in the folder shown), for
// any selection; the file name is the menu text. The script hands the files
// to the launcher when a picture is among them, as the library's own menu
// entry would be offered, and otherwise says so: a notification, else a
// short message box of whichever tool the desktop has, each bounded in time
// so that the script always ends.
std::string ManagerScript(const std::string& launcher) {
    return "#!/bin/sh\n" + std::string(kMarker) +
           "\nfor f in \"$@\"; do\n    case \"$f\" in\n        " + ScriptPatterns() +
           ")\n            exec " + ShellQuote(launcher) +
           " -- \"$@\" ;;\n    esac\ndone\n"
           "say=" +
           ShellQuote(kNoPicturesSelected) +
           "\nhas() { command -v \"$1\" >/dev/null 2>&1; }\n"
           "bounded() { if has timeout; then timeout 60 \"$@\"; else \"$@\"; fi; }\n"
           "if has notify-send && bounded notify-send -a Vignettor -i " +
           kMenuIconName +
           " Vignettor \"$say\" 2>/dev/null; then :\n"
           "elif has zenity; then bounded zenity --info --title=Vignettor --timeout=30 "
           "--text=\"$say\" 2>/dev/null\n"
           "elif has kdialog; then bounded kdialog --title Vignettor --passivepopup \"$say\" 10 "
           "2>/dev/null\n"
           "elif has xmessage; then bounded xmessage -center -timeout 30 \"$say\" 2>/dev/null\n"
           "fi\nexit 0\n";
}

// Whether the file at path is absent or one of ours.
bool FreeOrOurs(const std::string& path) {
    if (!platform::Exists(path)) return true;
    std::string text;
    return ReadFileWhole(path, &text) && text.find(kMarker) != std::string::npos;
}

constexpr const char* kEmptyActions =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n</actions>\n";

// Thunar reads an empty file, or one of white space only, as no actions.
bool IsBlank(const std::string& text) {
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

// Where the root element <actions> of a file of custom actions ends: the
// offset of its end tag, or of the "/>" that closes it when it is empty
// (*emptyTag). False when the text is not well-formed UTF-8 XML with that
// root.
bool FindActionsEnd(const std::string& text, size_t* at, bool* emptyTag) {
    // Thunar writes its declaration as <?xml encoding="UTF-8" version="1.0"?>,
    // which a strict reader refuses: the elements are what counts.
    size_t skip = 0;
    const size_t start = text.find_first_not_of(" \t\r\n");
    if (start != std::string::npos && text.compare(start, 5, "<?xml") == 0) {
        const size_t end = text.find("?>", start);
        if (end == std::string::npos) return false;
        skip = end + 2;
    }
    const QByteArray body = QByteArray::fromStdString(text.substr(skip));
    const QString decoded = QString::fromUtf8(body);
    if (decoded.toUtf8() != body) return false;
    QXmlStreamReader reader(decoded);
    int depth = 0;
    qint64 rootEnd = -1;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            if (depth == 0 && reader.name() != QLatin1String("actions")) return false;
            ++depth;
        } else if (reader.isEndElement() && --depth == 0) {
            rootEnd = reader.characterOffset();
        }
    }
    if (reader.hasError() || rootEnd < 0) return false;
    // The reader counts characters; the offset in bytes follows from the
    // text before it.
    const size_t end = skip + static_cast<size_t>(decoded.left(rootEnd).toUtf8().size());
    *emptyTag = end >= 2 && text.compare(end - 2, 2, "/>") == 0;
    *at = *emptyTag ? end - 2 : text.rfind("</", end);
    return *at != std::string::npos;
}

bool IsActionsFile(const std::string& text) {
    size_t at = 0;
    bool emptyTag = false;
    return FindActionsEnd(text, &at, &emptyTag);
}

// The span of our <action> element in text, from the start of its line to
// the end of the line of its closing tag; false when there is none.
bool FindOurAction(const std::string& text, size_t* begin, size_t* end) {
    const std::string id = std::string("<unique-id>") + kEntryName + "</unique-id>";
    size_t from = 0;
    for (size_t at; (at = text.find(id, from)) != std::string::npos; from = at + id.size()) {
        size_t open = text.rfind("<action>", at);
        const size_t closeBefore = text.rfind("</action>", at);
        if (open == std::string::npos || (closeBefore != std::string::npos && closeBefore > open))
            continue;
        const size_t close = text.find("</action>", at);
        if (close == std::string::npos) return false;
        // Take the indentation before the element and the line break after
        // it with it, when they are only white space.
        size_t lineStart = open;
        while (lineStart > 0 && (text[lineStart - 1] == ' ' || text[lineStart - 1] == '\t'))
            --lineStart;
        if (lineStart == 0 || text[lineStart - 1] == '\n') open = lineStart;
        size_t after = close + std::string("</action>").size();
        if (after < text.size() && text[after] == '\n') ++after;
        *begin = open;
        *end = after;
        return true;
    }
    return false;
}

// A file of actions for a user who has none yet: the desktop's defaults, so
// that the user's own file does not hide them, else an empty list.
std::string InitialThunarActions() {
    const std::string system = SystemConfigFile("Thunar/uca.xml");
    std::string text;
    if (!system.empty() && ReadFileWhole(system, &text) && IsActionsFile(text)) return text;
    return kEmptyActions;
}

}  // namespace

std::string ShellQuote(const std::string& text) {
    std::string out(1, '\'');
    out += Replace(text, '\'', "'\\''");
    out += '\'';
    return out;
}

std::vector<MenuEntryFile> MenuEntryFiles(const std::string& launcherPath) {
    const std::string data = UserDataFolder();
    const std::string config = UserConfigFolder();
    const std::string script = ManagerScript(launcherPath);
    return {
        {data + "/kio/servicemenus/" + kEntryName + ".desktop", DolphinServiceMenu(launcherPath),
         0755},
        {data + "/nautilus/scripts/" + kMenuEntryLabel, script, 0755},
        {data + "/nemo/actions/" + kEntryName + ".nemo_action", NemoAction(launcherPath), 0644},
        {config + "/caja/scripts/" + kMenuEntryLabel, script, 0755},
    };
}

std::string ThunarActionsPath() {
    return UserConfigFolder() + "/Thunar/uca.xml";
}

std::string ThunarAction(const std::string& launcherPath) {
    return "<action>\n\t<icon>" + std::string(kMenuIconName) + "</icon>\n\t<name>" +
           XmlText(kMenuEntryLabel) + "</name>\n\t<submenu></submenu>\n\t<unique-id>" + kEntryName +
           "</unique-id>\n\t<command>" +
           XmlText(Replace(ShellQuote(launcherPath), '%', "%%") + " -- %F") +
           "</command>\n\t<description>" + XmlText(kMenuHelpText) +
           "</description>\n\t<range></range>\n\t<patterns>" + ThunarPatterns() +
           "</patterns>\n\t<image-files/>\n</action>\n";
}

bool AddThunarAction(const std::string& actions, const std::string& launcherPath,
                     std::string* out) {
    std::string text;
    if (!RemoveThunarAction(IsBlank(actions) ? kEmptyActions : actions, &text)) return false;
    size_t at = 0;
    bool emptyTag = false;
    if (!FindActionsEnd(text, &at, &emptyTag)) return false;
    const std::string block = ThunarAction(launcherPath);
    if (emptyTag)
        *out = text.substr(0, at) + ">\n" + block + "</actions>" + text.substr(at + 2);
    else
        *out = text.substr(0, at) + (at > 0 && text[at - 1] != '\n' ? "\n" : "") + block +
               text.substr(at);
    return true;
}

bool RemoveThunarAction(const std::string& actions, std::string* out) {
    if (!IsBlank(actions) && !IsActionsFile(actions)) return false;
    *out = actions;
    size_t begin = 0, end = 0;
    while (FindOurAction(*out, &begin, &end)) out->erase(begin, end - begin);
    return true;
}

bool WriteMenuEntries(const std::string& launcherPath, FileChanges& changes) {
    // Everything is read and checked before the first file is written.
    const std::vector<MenuEntryFile> files = MenuEntryFiles(launcherPath);
    for (const MenuEntryFile& f : files)
        if (!FreeOrOurs(f.path)) return false;
    const std::string thunar = ThunarActionsPath();
    std::string current = InitialThunarActions(), updated;
    if (platform::Exists(thunar) && !ReadFileWhole(thunar, &current)) return false;
    if (!AddThunarAction(current, launcherPath, &updated)) return false;

    for (const MenuEntryFile& f : files)
        if (!changes.Write(f.path, f.text, f.mode)) return false;
    return changes.Write(thunar, updated, FileMode(thunar, 0644));
}

bool RemoveMenuEntries() {
    bool ok = true;
    for (const MenuEntryFile& f : MenuEntryFiles("")) {
        if (platform::Exists(f.path) && FreeOrOurs(f.path) && !platform::RemoveFile(f.path))
            ok = false;
    }
    const std::string thunar = ThunarActionsPath();
    if (!platform::Exists(thunar)) return ok;
    std::string current, updated;
    if (!ReadFileWhole(thunar, &current)) return false;
    // A file Thunar cannot read either is the user's to mend: left alone,
    // and no fault of ours unless it names our action.
    if (!RemoveThunarAction(current, &updated))
        return ok && current.find(kEntryName) == std::string::npos;
    return (updated == current || WriteFileWhole(thunar, updated, FileMode(thunar, 0644))) && ok;
}

}  // namespace vig::shell
