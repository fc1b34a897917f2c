// The settings store on QSettings: native format, user scope,
// organisation "Ostrel Software", application "vignettor", and every
// value in the group "vignettor". On Linux that is the file
// $XDG_CONFIG_HOME/Ostrel Software/vignettor.conf.
#pragma once

#include <memory>
#include <string>

#include "platform/profile_store.h"

class QSettings;

namespace vig::platform {

inline constexpr const char* kCompanyKey = "Ostrel Software";
inline constexpr const char* kApplicationKey = "vignettor";

class QtProfileStore final : public ProfileStore {
public:
    QtProfileStore();
    ~QtProfileStore() override;

    long long ReadInt(const std::string& name, long long fallback) override;
    void WriteInt(const std::string& name, long long value) override;
    std::string ReadString(const std::string& name, const std::string& fallback) override;
    void WriteString(const std::string& name, const std::string& value) override;

    // Writes pending changes to the file now (also done on destruction).
    void Flush();
    // Full path of the backing file.
    std::string FilePath() const;

private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace vig::platform
