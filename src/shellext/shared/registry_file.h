// The per-user registration store: a small registry kept in one text file
// beside the settings. Keys are '/'-separated paths (compared without
// regard to letter case, as registry keys are); each key holds named text
// values, the name "" being the key's default value. A key exists only once
// created; creating one creates its missing parents.
//
// The file reads like this:
//   [CLSID/{...}/InProcServer32]
//   @="/usr/bin/libvigshell.so"
//   "ThreadingModel"="Apartment"
// Texts are quoted, with \\, \" and \n escaped.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vig::shell {

class RegistryFile {
public:
    // <config>/Ostrel Software/vigshell-registry.conf
    static std::string DefaultPath();

    explicit RegistryFile(std::string path = DefaultPath()) : path_(std::move(path)) {}

    // Reads the file; a missing file is an empty registry. A damaged line
    // (and the values of a key whose line is damaged) is skipped; saving
    // then writes the store without it. False only when the file cannot be
    // read (then nothing is kept, and Save must not be called).
    bool Load();
    // When the last reading skipped lines, says so on stderr, naming the
    // file.
    void WarnOfSkippedLines() const;
    // Writes the whole registry through a temporary file; false on failure.
    bool Save() const;

    bool HasKey(const std::string& key) const;
    void CreateKey(const std::string& key);
    // False when the key does not exist or still has subkeys.
    bool DeleteKey(const std::string& key);
    // Sets a value of an existing key (false when the key does not exist).
    bool SetValue(const std::string& key, const std::string& name, const std::string& data);
    // The value, or false when the key or the value is missing.
    bool GetValue(const std::string& key, const std::string& name, std::string* data) const;

    const std::string& path() const { return path_; }

    // The text of the file and its reading, for tests and for Load/Save.
    // FromText keeps every good line and answers whether all were good.
    std::string ToText() const;
    bool FromText(const std::string& text);
    // The numbers (from 1) of the lines the last reading skipped.
    const std::vector<int>& skippedLines() const { return skipped_; }

private:
    struct Key {
        std::string name;
        std::vector<std::pair<std::string, std::string>> values;
    };
    Key* Find(const std::string& key);
    const Key* Find(const std::string& key) const;

    std::string path_;
    std::vector<Key> keys_;
    std::vector<int> skipped_;
};

}  // namespace vig::shell
