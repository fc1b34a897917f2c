#include "shellext/shared/registry_file.h"

#include <cstdio>

#include "platform/files.h"
#include "platform/paths.h"
#include "shellext/shared/shell_texts.h"
#include "shellext/shared/user_folders.h"

namespace vig::shell {
namespace {

constexpr const char* kStoreFileName = "vigshell-registry.conf";
constexpr const char* kHeader = "; Vignettor context-menu registration\n";

std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out + '"';
}

// Reads a quoted text starting at pos; pos is left after the closing quote.
bool Unquote(const std::string& line, size_t* pos, std::string* out) {
    size_t i = *pos;
    if (i >= line.size() || line[i] != '"') return false;
    out->clear();
    for (++i; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            *pos = i + 1;
            return true;
        }
        if (c != '\\') {
            *out += c;
            continue;
        }
        if (++i >= line.size()) return false;
        if (line[i] == 'n')
            *out += '\n';
        else if (line[i] == '\\' || line[i] == '"')
            *out += line[i];
        else
            return false;
    }
    return false;
}

bool ParseValueLine(const std::string& line, std::string* name, std::string* data) {
    size_t pos = 0;
    if (line[0] == '@') {
        name->clear();
        pos = 1;
    } else if (!Unquote(line, &pos, name)) {
        return false;
    }
    if (pos >= line.size() || line[pos] != '=') return false;
    ++pos;
    return Unquote(line, &pos, data) && pos == line.size();
}

bool IsParentOf(const std::string& parent, const std::string& key) {
    return key.size() > parent.size() + 1 && key[parent.size()] == paths::kSeparator &&
           paths::EqualsIgnoringCase(std::string_view(key).substr(0, parent.size()), parent);
}

}  // namespace

std::string RegistryFile::DefaultPath() {
    return paths::Join(CompanyFolder(), kStoreFileName);
}

RegistryFile::Key* RegistryFile::Find(const std::string& key) {
    for (Key& k : keys_)
        if (paths::EqualsIgnoringCase(k.name, key)) return &k;
    return nullptr;
}

const RegistryFile::Key* RegistryFile::Find(const std::string& key) const {
    return const_cast<RegistryFile*>(this)->Find(key);
}

bool RegistryFile::HasKey(const std::string& key) const {
    return Find(key) != nullptr;
}

void RegistryFile::CreateKey(const std::string& key) {
    if (key.empty() || HasKey(key)) return;
    const std::string parent = paths::Directory(key);
    if (!parent.empty()) CreateKey(parent);
    keys_.push_back({key, {}});
}

bool RegistryFile::DeleteKey(const std::string& key) {
    for (const Key& k : keys_)
        if (IsParentOf(key, k.name)) return false;
    for (auto it = keys_.begin(); it != keys_.end(); ++it) {
        if (paths::EqualsIgnoringCase(it->name, key)) {
            keys_.erase(it);
            return true;
        }
    }
    return false;
}

bool RegistryFile::SetValue(const std::string& key, const std::string& name,
                            const std::string& data) {
    Key* k = Find(key);
    if (k == nullptr) return false;
    for (auto& v : k->values) {
        if (paths::EqualsIgnoringCase(v.first, name)) {
            v.second = data;
            return true;
        }
    }
    k->values.emplace_back(name, data);
    return true;
}

bool RegistryFile::GetValue(const std::string& key, const std::string& name,
                            std::string* data) const {
    const Key* k = Find(key);
    if (k == nullptr) return false;
    for (const auto& v : k->values) {
        if (paths::EqualsIgnoringCase(v.first, name)) {
            *data = v.second;
            return true;
        }
    }
    return false;
}

std::string RegistryFile::ToText() const {
    std::string out = kHeader;
    for (const Key& k : keys_) {
        out += "\n[" + k.name + "]\n";
        for (const auto& [name, data] : k.values)
            out += (name.empty() ? std::string("@") : Quote(name)) + "=" + Quote(data) + "\n";
    }
    return out;
}

bool RegistryFile::FromText(const std::string& text) {
    keys_.clear();
    skipped_.clear();
    Key* current = nullptr;
    // After a damaged key line, the values below it belong to no key we
    // know; they are skipped up to the next good key line.
    int number = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            if (line.size() < 3 || line.back() != ']') {
                skipped_.push_back(number);
                current = nullptr;
                continue;
            }
            const std::string name = line.substr(1, line.size() - 2);
            CreateKey(name);
            current = Find(name);
            continue;
        }
        std::string name, data;
        if (current == nullptr || !ParseValueLine(line, &name, &data)) {
            skipped_.push_back(number);
            continue;
        }
        SetValue(current->name, name, data);
    }
    return skipped_.empty();
}

bool RegistryFile::Load() {
    keys_.clear();
    skipped_.clear();
    if (!platform::Exists(path_)) return true;
    std::string text;
    if (!ReadFileWhole(path_, &text)) return false;
    FromText(text);
    return true;
}

void RegistryFile::WarnOfSkippedLines() const {
    if (!skipped_.empty())
        std::fprintf(stderr, "vigshell: %s\n",
                     FillIn(Tr(kSkippedLinesFormat), {path_, std::to_string(skipped_.size()),
                                                      std::to_string(skipped_.front())})
                         .c_str());
}

bool RegistryFile::Save() const {
    return MakeFolders(paths::Directory(path_)) && WriteFileWhole(path_, ToText(), 0644);
}

}  // namespace vig::shell
