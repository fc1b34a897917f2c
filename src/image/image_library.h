// Conventions shared by every codec of the image library.
//
// Each entry function clears its status, runs, and leaves the status in the
// library's last error (GetLastImageError). Readers return a PixelBlock and
// the size through out-parameters (0 x 0 on failure); writers return 1 on
// success and 0 on failure. The codecs call the progress callback once per
// row where their format says so; a 0 return cancels with ErrCancelled.
//
// All library-wide state is per thread: one thread behaves exactly as a
// process-wide value would, and several threads may work side by side.
#pragma once

#include "image/error_codes.h"

namespace vig::image {

ErrorCode GetLastImageError();
void SetLastImageError(ErrorCode code);

using ProgressCallback = int (*)(int row, int total);

// The callback codecs call; none by default.
void SetProgressCallback(ProgressCallback callback);
ProgressCallback GetProgressCallback();
// Calls the callback (1 when there is none): 0 means cancel.
int ReportProgress(int row, int total);

// The application's callback, registered by every CPxImage at construction:
// on every 20th row it lets the message pump run for at most 80 ms. It
// cancels only when a stop has been requested (see SetStopCheck).

int ApplicationProgressCallback(int row, int total);

// The pump the application callback runs (none by default; the engine
// installs its host's pump for the length of a run).
using MessagePump = void (*)(void* context, int maxMilliseconds);
void SetMessagePump(MessagePump pump, void* context);
// Runs this thread's pump for at most maxMilliseconds (nothing without one).
void PumpMessagesNow(int maxMilliseconds);

// Whether the user has asked the work of this thread to stop (none by
// default; the engine installs its host's stop request for the length of a
// run). Long decodes look at it between rows and scans.
using StopCheck = bool (*)(void* context);
void SetStopCheck(StopCheck check, void* context);
bool StopRequestedNow();

// Status of one codec entry: cleared on entry, copied to the last error on
// exit. Set only the first failure.
class ImageStatus {
public:
    ImageStatus() = default;
    ~ImageStatus() { SetLastImageError(code_); }
    ImageStatus(const ImageStatus&) = delete;
    ImageStatus& operator=(const ImageStatus&) = delete;

    void Fail(ErrorCode code) {
        if (code_ == ErrNone) code_ = code;
    }
    ErrorCode code() const { return code_; }
    bool ok() const { return code_ == ErrNone; }

private:
    ErrorCode code_ = ErrNone;
};

}  // namespace vig::image
