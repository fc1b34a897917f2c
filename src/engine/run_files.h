// The files of one batch run: its inputs, which no page, index, log or
// sheet may replace, and what the run has written, which no later document
// of the run replaces either. Documents that could not be written are
// reported here.
#pragma once

#include <cstdio>
#include <set>
#include <string>

#include "documents/writing.h"
#include "platform/files.h"

namespace vig::engine {

class RunHost;

class RunFiles final : public documents::DocumentGuard {
public:
    RunFiles(RunHost& host, bool silentOperation) : host_(host), silent_(silentOperation) {}

    void AddInput(const std::string& path);
    // The run's log, which receives the reports too (nullptr for none).
    void SetLog(std::FILE* log) { log_ = log; }

    bool MayWrite(const std::string& path) override;
    void Written(const std::string& path) override;
    void Failed(const std::string& path, image::ErrorCode code, const char* context) override;

private:
    RunHost& host_;
    bool silent_;
    std::FILE* log_ = nullptr;
    std::set<platform::FileIdentity> inputs_;
    std::set<platform::FileIdentity> written_;
};

}  // namespace vig::engine
