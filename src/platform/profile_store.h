// The per-user settings store: named integer and string values in the
// application's section, read with a default.
#pragma once

#include <map>
#include <string>

namespace vig {

class ProfileStore {
public:
    virtual ~ProfileStore() = default;
    // The stored number, or `fallback` when the value is absent or is not a
    // whole decimal number.
    virtual long long ReadInt(const std::string& name, long long fallback) = 0;
    virtual void WriteInt(const std::string& name, long long value) = 0;
    virtual std::string ReadString(const std::string& name, const std::string& fallback) = 0;
    virtual void WriteString(const std::string& name, const std::string& value) = 0;
};

// Strict decimal integer: optional blanks, optional sign, digits, optional
// trailing blanks, nothing else, within the range of long long.
bool ParseStoredInteger(const std::string& text, long long* out);

// A store held in memory, for tests and for runs that must not touch the
// user's settings. Every value is kept as text, as the settings file does.
class MemoryProfileStore final : public ProfileStore {
public:
    long long ReadInt(const std::string& name, long long fallback) override;
    void WriteInt(const std::string& name, long long value) override;
    std::string ReadString(const std::string& name, const std::string& fallback) override;
    void WriteString(const std::string& name, const std::string& value) override;

    bool Has(const std::string& name) const { return values_.count(name) != 0; }
    void Erase(const std::string& name) { values_.erase(name); }
    const std::map<std::string, std::string>& Values() const { return values_; }

private:
    std::map<std::string, std::string> values_;
};

}  // namespace vig
